#include "tablet/usb_interface.h"

#include "common/error_categories.h"
#include "common/thread_body.h"
#include "tablet/overlapped_request.h"

#include <memory>

namespace Korva::QEL {
namespace {

constexpr DWORD readBufferSize = 4096;

bool stopRequested(HANDLE stop) {
    const DWORD result = ::WaitForSingleObjectEx(stop, 0, FALSE);
    if (result == WAIT_OBJECT_0)
        return true;
    if (result != WAIT_TIMEOUT)
        Win32::throwLastError("WaitForSingleObjectEx");
    return false;
}

[[noreturn]] void failRead(DWORD error, const char* function) {
    if (error == ERROR_DEVICE_NOT_CONNECTED)
        throw Interface::device_removed_error();
    Win32::throwWin32(error, function);
}

// Cancels the pending read, which this thread started, within a bounded
// wait: a tablet that holds the cancel must not hold the close.
void cancelRead(HANDLE hid, std::unique_ptr<OverlappedRequest>& read) {
    cancelRequest(read, [hid](OVERLAPPED*) { return ::CancelIo(hid) != FALSE; });
}

} // namespace

void UsbInterface::startReader() {
    stopReader();
    impl()->clearQueues();
    if (!::ResetEvent(readingEvent_.get()))
        Win32::throwLastError("ResetEvent");
    reader_ = std::thread(&UsbInterface::readerThread, this);
    // A reader that has not started within the bound starts later.
    ::WaitForSingleObject(readingEvent_.get(), requestTimeout);
}

void UsbInterface::stopReader() {
    if (!::SetEvent(stopEvent_.get()))
        Win32::throwLastError("SetEvent");
    if (reader_.joinable())
        reader_.join();
    if (!::ResetEvent(stopEvent_.get()))
        Win32::throwLastError("ResetEvent");
}

// A failure the reader cannot hand on leaves nothing to tell: the device
// thread learns of it from its own next request.
void UsbInterface::readerThread() noexcept {
    Win32::runThreadBody(
        "UsbInterface::readerThread",
        [this] {
            if (!::SetEvent(readingEvent_.get()))
                Win32::throwLastError("SetEvent");
            if (!::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL))
                Win32::throwLastError("SetThreadPriority");
            readReports();
        },
        [this](std::exception_ptr failure) { impl()->fail(failure); });
}

void UsbInterface::readReports() {
    const HANDLE hid = hid_.get();
    const HANDLE stop = stopEvent_.get();
    auto read = std::make_unique<OverlappedRequest>(readBufferSize);
    while (!stopRequested(stop)) {
        read->restart();
        if (!::ReadFile(hid, read->buffer.data(), readBufferSize, nullptr, &read->overlapped)) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_IO_PENDING)
                failRead(error, "ReadFile");
            const HANDLE handles[2] = {stop, read->event.get()};
            const DWORD woken = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
            if (woken == WAIT_OBJECT_0) {
                cancelRead(hid, read);
                return;
            }
            if (woken != WAIT_OBJECT_0 + 1) {
                const DWORD waitError = ::GetLastError();
                cancelRead(hid, read);
                Win32::throwWin32(waitError, "WaitForMultipleObjects");
            }
        }
        DWORD transferred = 0;
        if (!::GetOverlappedResult(hid, &read->overlapped, &transferred, TRUE))
            failRead(::GetLastError(), "GetOverlappedResult");
        splitReports(read->buffer.data(), transferred, inputLengths_, maxInputLength_,
                     [this](const Report& report) { impl()->deliver(report, reportCallback()); });
    }
}

} // namespace Korva::QEL
