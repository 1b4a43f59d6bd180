#pragma once

#include "service/status_pipe.h"

#include <windows.h>

#include <string>

namespace Korva::QELD {

// Asks the running slideshow for its status and returns the reply text.
// Raises the system's error: ERROR_FILE_NOT_FOUND when nothing serves the
// pipe, ERROR_ACCESS_DENIED for a caller without the rights, ERROR_PIPE_BUSY
// when the server stays busy for longer than the timeout. Benchmarks name
// pipes of their own.
std::string requestStatus(DWORD timeout, const wchar_t* pipeName = statusPipeName);

// "qeldsvc /status": prints the status and returns the exit code: 0, 1 when
// the slideshow is not running, 5 for a caller without the rights, or the
// system's error of another failure.
int printStatus() noexcept;

} // namespace Korva::QELD
