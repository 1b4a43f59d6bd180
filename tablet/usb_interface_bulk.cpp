#include "tablet/usb_interface.h"

#include "common/error_categories.h"
#include "tablet/overlapped_request.h"

#include <functional>

namespace Korva::QEL {
namespace {

// A failed write is followed by a reset of pipe 1, the tablet's bulk OUT
// endpoint, so that the next transfer starts clean.
constexpr UCHAR resetPipeId = 0x01;

// The slowest rate a working pipe is expected to move at: a quarter of the
// most that full-speed USB gives a bulk pipe, 19 packets of 64 bytes in each
// 1 ms frame or 1,216,000 bytes/s (USB 2.0, section 5.8.4, bulk transfer
// bandwidth). The quarter leaves room for a hub shared with busy devices. A
// write gets the time-out of any request plus its length at this rate: an
// 800 x 480 picture of 24 bits (1,152,000 bytes) gets 5.8 s where it takes
// about 1.2 s, and a pipe that stops moving fails within that bound.
constexpr std::uint64_t slowestBulkBytesPerSecond = 1216000 / 4;

DWORD bulkTimeout(std::size_t length) {
    return requestTimeout + static_cast<DWORD>(length * 1000 / slowestBulkBytesPerSecond);
}

} // namespace

// A bulk path that cannot be used is dropped quietly: the tablet is then
// driven through feature reports alone.
void UsbInterface::openBulk(const std::wstring& path, DWORD shareMode) {
    bulkFile_ = openPath(path, shareMode);
    if (!bulkFile_)
        return;
    WINUSB_INTERFACE_HANDLE handle = nullptr;
    if (winusb_->load() && winusb_->Initialize(bulkFile_.get(), &handle)) {
        winusbHandle_.reset(winusb_, handle);
        if (findBulkOutPipe())
            return;
    }
    winusbHandle_.reset();
    bulkFile_.reset();
}

// The first bulk pipe decides: an IN pipe there means no usable pipe.
bool UsbInterface::findBulkOutPipe() {
    USB_INTERFACE_DESCRIPTOR descriptor{};
    if (!winusb_->QueryInterfaceSettings(winusbHandle_.get(), 0, &descriptor))
        return false;
    for (UCHAR index = 0; index < descriptor.bNumEndpoints; ++index) {
        WINUSB_PIPE_INFORMATION pipe{};
        if (!winusb_->QueryPipe(winusbHandle_.get(), 0, index, &pipe))
            return false;
        if (pipe.PipeType != UsbdPipeTypeBulk)
            continue;
        if (pipe.PipeId & 0x80)
            return false;
        pipeId_ = pipe.PipeId;
        return true;
    }
    return false;
}

// An abandoned write goes on reading its bytes until the system ends it, so
// the request keeps them alive: the shared picture when the bytes lie in it,
// otherwise a copy, made in one pass without zeroing the buffer first.
std::unique_ptr<OverlappedRequest> UsbInterface::bulkRequest(const std::uint8_t* buffer,
                                                             std::size_t length) const {
    auto request = std::make_unique<OverlappedRequest>(0);
    if (picture_ && std::less_equal<>()(picture_->data(), buffer) &&
        std::less_equal<>()(buffer + length, picture_->data() + picture_->size()))
        request->source = picture_;
    else
        request->buffer.assign(buffer, buffer + length);
    return request;
}

void UsbInterface::failBulkWrite(DWORD error, const char* function) {
    if (error == ERROR_DEVICE_NOT_CONNECTED)
        throw device_removed_error();
    winusb_->ResetPipe(winusbHandle_.get(), resetPipeId);
    Win32::throwWin32(error, function);
}

void UsbInterface::writeBulk(const std::uint8_t* buffer, std::size_t length) {
    if (buffer == nullptr || length == 0)
        return;
    const ULONG count = requestLength(length);
    std::lock_guard lock(mutex_);
    if (!hid_)
        throw not_connected_error();
    if (!winusbHandle_)
        throw write_not_supported_error();
    auto request = bulkRequest(buffer, length);
    const WINUSB_INTERFACE_HANDLE handle = winusbHandle_.get();
    const std::uint8_t* data = request->source ? buffer : request->buffer.data();
    if (!winusb_->WritePipe(handle, pipeId_, const_cast<std::uint8_t*>(data), count, nullptr,
                            &request->overlapped)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_PENDING)
            failBulkWrite(error, "WinUsb_WritePipe");
        const auto abort = [this, handle](OVERLAPPED*) {
            return winusb_->AbortPipe(handle, pipeId_) != FALSE;
        };
        switch (awaitRequest(request, bulkTimeout(length), abort, bulkStop_)) {
        case RequestEnd::Done:
            break;
        case RequestEnd::TimedOut:
            throw bulk_timeout_error();
        case RequestEnd::Stopped:
            throw stopped_error();
        }
    }
    ULONG transferred = 0;
    if (!winusb_->GetOverlappedResult(handle, &request->overlapped, &transferred, FALSE))
        failBulkWrite(::GetLastError(), "GetOverlappedResult");
    if (transferred != length)
        throw io_error();
}

} // namespace Korva::QEL
