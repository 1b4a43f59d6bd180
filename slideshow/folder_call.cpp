#include "slideshow/folder_call.h"

#include "common/error_categories.h"
#include "common/thread_body.h"

#include <memory>

namespace Korva::QELD {
namespace {

DWORD WINAPI runCall(void* parameter) {
    const std::unique_ptr<std::function<void()>> body(
        static_cast<std::function<void()>*>(parameter));
    Win32::runThreadBody("ImageList folder call", *body, [](std::exception_ptr) {});
    return 0;
}

} // namespace

// The thread is the system's own rather than a detached std::thread: the
// MinGW threads library can lose the start of a thread detached before it
// ran (measured: a thread that started on a null state under Wine).
bool runLeavable(HANDLE quit, std::function<void()> body, HANDLE done) {
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    const Win32::unique_kernel_handle thread(
        ::CreateThread(nullptr, 0, &runCall, owned.get(), 0, nullptr));
    if (!thread)
        Win32::throwLastError("CreateThread");
    static_cast<void>(owned.release());
    const HANDLE waits[] = {quit, done};
    const DWORD result = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (result == WAIT_FAILED)
        Win32::throwLastError("WaitForMultipleObjects");
    return result == WAIT_OBJECT_0 + 1;
}

} // namespace Korva::QELD
