#include "tablet/overlapped_request.h"

#include "common/error_categories.h"

namespace Korva::QEL {

void cancelRequest(std::unique_ptr<OverlappedRequest>& request,
                   const std::function<bool(OVERLAPPED*)>& cancel) {
    if (!cancel(&request->overlapped) && ::GetLastError() == ERROR_NOT_FOUND)
        return;
    if (::WaitForSingleObject(request->event.get(), cancelTimeout) != WAIT_OBJECT_0)
        static_cast<void>(request.release());
}

bool awaitRequest(std::unique_ptr<OverlappedRequest>& request, DWORD timeout,
                  const std::function<bool(OVERLAPPED*)>& cancel) {
    const DWORD result = ::WaitForSingleObject(request->event.get(), timeout);
    if (result == WAIT_OBJECT_0)
        return true;
    const DWORD error = ::GetLastError();
    cancelRequest(request, cancel);
    if (result != WAIT_TIMEOUT)
        Win32::throwWin32(error, "WaitForSingleObject");
    return false;
}

} // namespace Korva::QEL
