#pragma once

#include "service/status_pipe.h"
#include "service/core/status_request.h"

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace Korva::QELD {

// Whether the process serving the pipe may answer the query.
using ServerCheck = std::function<bool(DWORD processId)>;

// The slideshow: the running service's process, or (console mode) a process
// of this very program file.
bool isSlideshow(DWORD processId);

// Tests and benchmarks that serve the pipe themselves accept any server.
inline bool anyServer(DWORD) {
    return true;
}

// The process serving the pipe is not the slideshow; nothing was sent to it
// or read from it.
class untrusted_server_error : public std::runtime_error {
public:
    explicit untrusted_server_error(const std::string& server)
        : std::runtime_error("The program answering status queries (" + server +
                             ") is not the slideshow; its answer was not read.") {}
};

// Asks the running slideshow for its status and returns the reply. The pipe
// is opened at identification level, so the server may learn who asks but
// never act as the caller. The whole exchange takes at most the timeout and
// the reply at most statusReplyLimit bytes. Raises the system's error:
// ERROR_FILE_NOT_FOUND when nothing serves the pipe, ERROR_ACCESS_DENIED for
// a caller without the rights, ERROR_PIPE_BUSY or ERROR_TIMEOUT when the
// server stays busy or silent for longer than the timeout, ERROR_MORE_DATA
// for a longer reply; untrusted_server_error when the check refuses the
// server. Benchmarks name pipes of their own.
std::string requestStatus(DWORD timeout, const wchar_t* pipeName = statusPipeName,
                          const char* request = StatusRequest::textRequest,
                          const ServerCheck& check = anyServer);

// "qeldsvc /status [/json]": prints the status and returns the exit code: 0
// (with /json: 0 healthy, 2 degraded, 3 failed), 1 when the slideshow is not
// running, 4 when another program serves the pipe, 5 for a caller without
// the rights, or the system's error of another failure.
int printStatus(bool json) noexcept;

} // namespace Korva::QELD
