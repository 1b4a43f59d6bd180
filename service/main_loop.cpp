#include "service/main_thread.h"

namespace Korva::QELD {

// Until the slideshow engine takes over, the loop only consumes the flag word
// so that the console's notifications are taken and quit ends the thread.
void mainLoop(ConfigurationData& settings, EventLog&) noexcept {
    try {
        for (;;) {
            const HANDLE flagsEvent = settings.flagsEvent();
            if (::WaitForSingleObjectEx(flagsEvent, INFINITE, FALSE) != WAIT_OBJECT_0)
                return;
            auto lock = settings.lock();
            const ConfigurationFlags flags = lock.flags();
            lock.flags() = 0;
            if (flags & ConfigurationFlag_Quit)
                return;
        }
    } catch (...) {
    }
}

} // namespace Korva::QELD
