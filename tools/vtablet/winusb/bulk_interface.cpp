#include "tools/vtablet/winusb/bulk_interface.h"

#include "tools/vtablet/model/control_codes.h"

namespace Korva::VTablet {
namespace {

// The NTSTATUS values a paced write ends with, as the system would leave
// them in its OVERLAPPED record.
constexpr ULONG_PTR statusSuccess = 0;
constexpr ULONG_PTR statusUnsuccessful = 0xC0000001;
constexpr ULONG_PTR statusDeviceNotConnected = 0xC000009D;
constexpr ULONG_PTR statusCancelled = 0xC0000120;

ULONG_PTR statusOf(DWORD error) {
    switch (error) {
    case ERROR_DEVICE_NOT_CONNECTED:
        return statusDeviceNotConnected;
    case ERROR_OPERATION_ABORTED:
        return statusCancelled;
    default:
        return statusUnsuccessful;
    }
}

} // namespace

BulkInterface::BulkInterface(HANDLE file) : file_(file), abort_(Win32::createEvent()) {}

BulkInterface::~BulkInterface() {
    abort();
    if (pacer_.joinable())
        pacer_.join();
}

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
    std::uint32_t rate = 0;
    if (!control(ioctlBulkRate, nullptr, 0, &rate, sizeof rate))
        rate = 0;
    if (!overlapped) {
        if (rate > 0)
            Sleep(static_cast<DWORD>(std::uint64_t{length} * 1000 / rate));
        const BOOL done = control(ioctlBulkWrite, data, length, nullptr, 0);
        if (transferred)
            *transferred = done ? length : 0;
        return done;
    }
    {
        std::lock_guard lock(mutex_);
        inFlight_[overlapped] = length;
    }
    if (rate > 0)
        return pacedWrite(data, length, overlapped, rate);
    if (DeviceIoControl(file_, ioctlBulkWrite, const_cast<void*>(data), length, nullptr, 0, nullptr,
                        overlapped)) {
        if (transferred)
            *transferred = length;
        return TRUE;
    }
    return FALSE; // ERROR_IO_PENDING or the failure, as WinUSB reports them
}

BOOL BulkInterface::pacedWrite(const void* data, ULONG length, OVERLAPPED* overlapped,
                               std::uint32_t rate) {
    if (pacer_.joinable())
        pacer_.join();
    ResetEvent(abort_.get());
    overlapped->Internal = STATUS_PENDING;
    overlapped->InternalHigh = 0;
    if (overlapped->hEvent)
        ResetEvent(overlapped->hEvent);
    const auto delay = static_cast<DWORD>(std::uint64_t{length} * 1000 / rate);
    pacer_ = std::thread([=, this] { pace(data, length, overlapped, delay); });
    SetLastError(ERROR_IO_PENDING);
    return FALSE;
}

// The tablet takes the bytes at the end of the write's time, unless the pipe
// is aborted first; the caller's record then ends as the system ends it.
void BulkInterface::pace(const void* data, ULONG length, OVERLAPPED* overlapped, DWORD delay) {
    ULONG_PTR status = statusCancelled;
    if (WaitForSingleObject(abort_.get(), delay) == WAIT_TIMEOUT)
        status = control(ioctlBulkWrite, data, length, nullptr, 0) ? statusSuccess
                                                                   : statusOf(GetLastError());
    overlapped->InternalHigh = status == statusSuccess ? length : 0;
    overlapped->Internal = status;
    if (overlapped->hEvent)
        SetEvent(overlapped->hEvent);
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

// Every write of the pipe, from any thread: the caller's own and the one a
// paced write sends from its thread. WinUSB answers an abort with success
// whether or not a write was in flight.
BOOL BulkInterface::abort() {
    SetEvent(abort_.get());
    CancelIoEx(file_, nullptr);
    return TRUE;
}

} // namespace Korva::VTablet
