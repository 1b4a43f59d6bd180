#include "service/status_client.h"

#include "common/error_categories.h"
#include "common/unique_handle.h"
#include "common/core/utf.h"
#include "service/core/status_json.h"

#include <cstdlib>
#include <iostream>
#include <optional>

namespace Korva::QELD {
namespace {

DWORD remaining(DWORD start, DWORD timeout) {
    const DWORD spent = ::GetTickCount() - start;
    return spent >= timeout ? 0 : timeout - spent;
}

// The server serves a few clients in turn; the others wait theirs.
// Identification level: the server may read who connects, never act as them.
Win32::unique_file connect(DWORD start, DWORD timeout, const wchar_t* pipeName) {
    for (;;) {
        Win32::unique_file pipe(::CreateFileW(
            pipeName, GENERIC_READ | FILE_WRITE_DATA, 0, nullptr, OPEN_EXISTING,
            FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
        if (pipe)
            return pipe;
        const DWORD error = ::GetLastError();
        const DWORD left = remaining(start, timeout);
        if (error != ERROR_PIPE_BUSY || left == 0)
            Win32::throwWin32(error, "CreateFile");
        ::WaitNamedPipeW(pipeName, left);
    }
}

// One read or write, waited for no longer than the time left. A late one is
// cancelled, and its end awaited, before its OVERLAPPED goes.
DWORD transfer(HANDLE pipe, HANDLE event, bool write, void* data, DWORD size, DWORD start,
               DWORD timeout) {
    const char* function = write ? "WriteFile" : "ReadFile";
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    const BOOL done = write ? ::WriteFile(pipe, data, size, nullptr, &overlapped)
                            : ::ReadFile(pipe, data, size, nullptr, &overlapped);
    if (!done && ::GetLastError() != ERROR_IO_PENDING)
        Win32::throwLastError(function);
    DWORD bytes = 0;
    if (!done && ::WaitForSingleObject(event, remaining(start, timeout)) != WAIT_OBJECT_0) {
        ::CancelIoEx(pipe, &overlapped);
        ::GetOverlappedResult(pipe, &overlapped, &bytes, TRUE);
        Win32::throwWin32(ERROR_TIMEOUT, function);
    }
    if (!::GetOverlappedResult(pipe, &overlapped, &bytes, FALSE))
        Win32::throwLastError(function);
    return bytes;
}

std::wstring processImage(DWORD processId) {
    const Win32::unique_kernel_handle process(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    wchar_t path[MAX_PATH * 2];
    DWORD size = MAX_PATH * 2;
    if (!process || !::QueryFullProcessImageNameW(process.get(), 0, path, &size))
        return {};
    return {path, size};
}

std::wstring ownImage() {
    wchar_t path[MAX_PATH * 2];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return length == 0 || length >= MAX_PATH * 2 ? std::wstring() : std::wstring(path, length);
}

std::optional<DWORD> serviceProcessId() {
    const Win32::unique_service manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    const Win32::unique_service service(
        manager ? ::OpenServiceW(manager.get(), L"QELDSVC", SERVICE_QUERY_STATUS) : nullptr);
    SERVICE_STATUS_PROCESS status{};
    DWORD size = 0;
    if (!service || !::QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO,
                                            reinterpret_cast<BYTE*>(&status), sizeof status, &size))
        return std::nullopt;
    return status.dwProcessId != 0 ? std::optional(status.dwProcessId) : std::nullopt;
}

std::string describeServer(DWORD processId) {
    const std::wstring image = processImage(processId);
    return "process " + std::to_string(processId) +
           (image.empty() ? ""
                          : ", " + utf8FromUtf16({reinterpret_cast<const char16_t*>(image.data()),
                                                  image.size()}));
}

void checkServer(HANDLE pipe, const ServerCheck& check) {
    ULONG processId = 0;
    if (!::GetNamedPipeServerProcessId(pipe, &processId))
        Win32::throwLastError("GetNamedPipeServerProcessId");
    if (!check(processId))
        throw untrusted_server_error(describeServer(processId));
}

} // namespace

bool isSlideshow(DWORD processId) {
    if (serviceProcessId() == processId)
        return true;
    const std::wstring image = processImage(processId);
    const std::wstring own = ownImage();
    return !image.empty() &&
           ::CompareStringOrdinal(image.c_str(), -1, own.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::string requestStatus(DWORD timeout, const wchar_t* pipeName, const char* request,
                          const ServerCheck& check) {
    const DWORD start = ::GetTickCount();
    const Win32::unique_file pipe = connect(start, timeout, pipeName);
    checkServer(pipe.get(), check);
    const Win32::unique_event event = Win32::createEvent();
    std::string line(request);
    transfer(pipe.get(), event.get(), true, line.data(), static_cast<DWORD>(line.size()), start,
             timeout);
    // The reply ends with a zero byte.
    std::string reply;
    char buffer[4096];
    while (reply.empty() || reply.back() != '\0') {
        const DWORD bytes =
            transfer(pipe.get(), event.get(), false, buffer, sizeof buffer, start, timeout);
        if (reply.size() + bytes > statusReplyLimit)
            Win32::throwWin32(ERROR_MORE_DATA, "the status reply");
        reply.append(buffer, bytes);
    }
    reply.pop_back();
    return reply;
}

namespace {

// The JSON reply starts with a line holding the exit code of its health.
int printJson(const std::string& reply) {
    const auto end = reply.find('\n');
    std::cout << reply.substr(end + 1) << std::flush;
    return std::atoi(reply.substr(0, end).c_str());
}

int printFailure(bool json, const std::string& text, int code) {
    std::cout << (json ? unansweredJson(text) : text + "\n") << std::flush;
    return code;
}

} // namespace

int printStatus(bool json) noexcept {
    try {
        const std::string reply = requestStatus(
            30000, statusPipeName, json ? StatusRequest::jsonRequest : StatusRequest::textRequest,
            isSlideshow);
        if (json)
            return printJson(reply);
        std::cout << reply << std::flush;
        return 0;
    } catch (const untrusted_server_error& e) {
        return printFailure(json, e.what(), 4);
    } catch (const std::system_error& e) {
        switch (e.code().value()) {
        case ERROR_FILE_NOT_FOUND:
            return printFailure(json, "The slideshow is not running.", 1);
        case ERROR_ACCESS_DENIED:
            return printFailure(json,
                                "Access denied: only administrators, the system and users "
                                "signed in at this computer may query the slideshow's status.",
                                ERROR_ACCESS_DENIED);
        default:
            return printFailure(json,
                                std::string("The status query failed: ") + e.what() + " (" +
                                    std::to_string(e.code().value()) + ").",
                                e.code().value());
        }
    } catch (const std::exception& e) {
        return printFailure(json, std::string("The status query failed: ") + e.what(),
                            ERROR_INTERNAL_ERROR);
    }
}

} // namespace Korva::QELD
