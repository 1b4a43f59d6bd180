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

RequestEnd awaitRequest(std::unique_ptr<OverlappedRequest>& request, DWORD timeout,
                        const std::function<bool(OVERLAPPED*)>& cancel, HANDLE stop) {
    const HANDLE waits[] = {request->event.get(), stop};
    const DWORD result = ::WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, timeout);
    if (result == WAIT_OBJECT_0)
        return RequestEnd::Done;
    const DWORD error = ::GetLastError();
    cancelRequest(request, cancel);
    if (result == WAIT_TIMEOUT)
        return RequestEnd::TimedOut;
    if (stop && result == WAIT_OBJECT_0 + 1)
        return RequestEnd::Stopped;
    Win32::throwWin32(error, "WaitForMultipleObjects");
}

} // namespace Korva::QEL
