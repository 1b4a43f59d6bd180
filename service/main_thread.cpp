#include "service/main_thread.h"

namespace Korva::QELD {

bool MainThread::operator()() noexcept {
    EventLog eventLog(registerEventSource(), sink_);
    return mainLoop(settings_, eventLog, RunMode::Console);
}

} // namespace Korva::QELD
