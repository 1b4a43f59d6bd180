#pragma once

#include <windows.h>

namespace Korva::QELD {

// Waits up to the time-out on the handles while dispatching the thread's
// window messages, which the imaging component of a single-threaded
// apartment relies on. With restartOnMessages the full time-out starts again
// after messages were dispatched; otherwise their arrival ends the wait with
// WAIT_OBJECT_0 + count.
DWORD waitPumpingMessages(const HANDLE* handles, DWORD count, DWORD timeout,
                          bool restartOnMessages);

} // namespace Korva::QELD
