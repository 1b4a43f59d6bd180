#include "service/status_client.h"

#include "common/error_categories.h"
#include "common/unique_handle.h"

#include <iostream>

namespace Korva::QELD {
namespace {

// The server serves one client at a time; the others wait their turn, each
// turn being bounded by the server's connection timeout.
Win32::unique_file connect(DWORD timeout, const wchar_t* pipeName) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        Win32::unique_file pipe(::CreateFileW(pipeName, GENERIC_READ | FILE_WRITE_DATA, 0, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
        if (pipe)
            return pipe;
        const DWORD error = ::GetLastError();
        const DWORD spent = ::GetTickCount() - start;
        if (error != ERROR_PIPE_BUSY || spent >= timeout)
            Win32::throwWin32(error, "CreateFile");
        ::WaitNamedPipeW(pipeName, timeout - spent);
    }
}

} // namespace

std::string requestStatus(DWORD timeout, const wchar_t* pipeName) {
    const Win32::unique_file pipe = connect(timeout, pipeName);
    const char request[] = "status\n";
    DWORD bytes = 0;
    if (!::WriteFile(pipe.get(), request, sizeof request - 1, &bytes, nullptr))
        Win32::throwLastError("WriteFile");
    // The reply ends with a zero byte; the server drops a connection that
    // outlives its timeout, which ends a read that would wait for ever.
    std::string reply;
    char buffer[4096];
    while (reply.empty() || reply.back() != '\0') {
        if (!::ReadFile(pipe.get(), buffer, sizeof buffer, &bytes, nullptr))
            Win32::throwLastError("ReadFile");
        reply.append(buffer, bytes);
    }
    reply.pop_back();
    return reply;
}

int printStatus() noexcept {
    try {
        std::cout << requestStatus(30000) << std::flush;
        return 0;
    } catch (const std::system_error& e) {
        switch (e.code().value()) {
        case ERROR_FILE_NOT_FOUND:
            std::cout << "The slideshow is not running." << std::endl;
            return 1;
        case ERROR_ACCESS_DENIED:
            std::cout << "Access denied: only administrators, the system and users signed in at "
                         "this computer may query the slideshow's status."
                      << std::endl;
            return ERROR_ACCESS_DENIED;
        default:
            std::cout << "The status query failed: " << e.what() << " (" << e.code().value() << ")."
                      << std::endl;
            return e.code().value();
        }
    } catch (const std::exception& e) {
        std::cout << "The status query failed: " << e.what() << std::endl;
        return ERROR_INTERNAL_ERROR;
    }
}

} // namespace Korva::QELD
