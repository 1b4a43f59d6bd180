#include "tools/vtablet/winusb/bulk_interface.h"

#include "common/unique_handle.h"
#include "tools/vtablet/model/control_codes.h"

namespace Korva::VTablet {

// A request of its own on the caller's overlapped handle, waited for here.
BOOL BulkInterface::control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize) {
    Win32::unique_event event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event)
        return FALSE;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    DWORD returned = 0;
    if (!DeviceIoControl(file_, code, const_cast<void*>(in), inSize, out, outSize, &returned,
                         &overlapped) &&
        GetLastError() != ERROR_IO_PENDING)
        return FALSE;
    return GetOverlappedResult(file_, &overlapped, &returned, TRUE);
}

bool BulkInterface::queryPipe(std::uint8_t& pipeId) {
    return control(ioctlBulkPipe, nullptr, 0, &pipeId, sizeof pipeId);
}

BOOL BulkInterface::write(const void* data, ULONG length, ULONG* transferred,
                          OVERLAPPED* overlapped) {
    if (!overlapped) {
        const BOOL done = control(ioctlBulkWrite, data, length, nullptr, 0);
        if (transferred)
            *transferred = done ? length : 0;
        return done;
    }
    {
        std::lock_guard lock(mutex_);
        inFlight_[overlapped] = length;
    }
    if (DeviceIoControl(file_, ioctlBulkWrite, const_cast<void*>(data), length, nullptr, 0, nullptr,
                        overlapped)) {
        if (transferred)
            *transferred = length;
        return TRUE;
    }
    return FALSE; // ERROR_IO_PENDING or the failure, as WinUSB reports them
}

BOOL BulkInterface::result(OVERLAPPED* overlapped, ULONG* transferred, BOOL wait) {
    DWORD ignored = 0;
    const BOOL done = GetOverlappedResult(file_, overlapped, &ignored, wait);
    if (!done && GetLastError() == ERROR_IO_INCOMPLETE)
        return FALSE;
    std::lock_guard lock(mutex_);
    const auto entry = inFlight_.find(overlapped);
    const ULONG length = entry == inFlight_.end() ? 0 : entry->second;
    if (entry != inFlight_.end())
        inFlight_.erase(entry);
    if (transferred)
        *transferred = done ? length : 0;
    return done;
}

} // namespace Korva::VTablet
