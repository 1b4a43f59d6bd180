#pragma once

#include <windows.h>

namespace Korva::QELD {

// What dispatched messages do to a wait: start the full time-out again, or
// end the wait with WAIT_OBJECT_0 + count.
enum class OnMessages { Restart, EndWait };

// Waits up to the time-out on the handles while dispatching the thread's
// window messages, which the imaging component of a single-threaded
// apartment relies on.
DWORD waitPumpingMessages(const HANDLE* handles, DWORD count, DWORD timeout, OnMessages onMessages);

} // namespace Korva::QELD
