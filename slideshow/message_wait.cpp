#include "slideshow/message_wait.h"

namespace Korva::QELD {
namespace {

void dispatchMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

} // namespace

DWORD waitPumpingMessages(const HANDLE* handles, DWORD count, DWORD timeout,
                          OnMessages onMessages) {
    for (;;) {
        const DWORD result = ::MsgWaitForMultipleObjectsEx(count, handles, timeout, QS_ALLINPUT, 0);
        if (result != WAIT_OBJECT_0 + count)
            return result;
        dispatchMessages();
        if (onMessages == OnMessages::EndWait)
            return result;
    }
}

} // namespace Korva::QELD
