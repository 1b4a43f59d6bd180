#include "service/main_thread.h"

#include "common/thread_name.h"

namespace Korva::QELD {

bool MainThread::operator()() noexcept {
    EventLog eventLog(registerEventSource(), sink_);
    Win32::setThreadName("MainThread");
    return mainLoop(settings_, eventLog, RunMode::Console);
}

} // namespace Korva::QELD
