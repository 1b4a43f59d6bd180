#include "slideshow/folder_call.h"

#include "common/error_categories.h"
#include "common/thread_body.h"

#include <thread>

namespace Korva::QELD {

bool runLeavable(HANDLE quit, std::function<void()> body, HANDLE done) {
    std::thread([body = std::move(body)] {
        Win32::runThreadBody("ImageList folder call", body, [](std::exception_ptr) {});
    }).detach();
    const HANDLE waits[] = {quit, done};
    const DWORD result = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (result == WAIT_FAILED)
        Win32::throwLastError("WaitForMultipleObjects");
    return result == WAIT_OBJECT_0 + 1;
}

} // namespace Korva::QELD
