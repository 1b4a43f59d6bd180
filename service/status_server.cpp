#include "service/status_server.h"

#include "common/error_categories.h"
#include "common/thread_name.h"
#include "service/status_pipe.h"
#include "service/core/status_request.h"
#include "service/core/status_text.h"

#include <sddl.h>

namespace Korva::QELD {
namespace {

// Administrators, SYSTEM, interactive users and the owner get read access
// and FILE_WRITE_DATA, which sending the request needs; no one gets
// FILE_CREATE_PIPE_INSTANCE (serving on the name), attribute writes or the
// right to change the descriptor. The owner ACE takes the owner's implicit
// right to rewrite the descriptor away.
constexpr const wchar_t* pipeSecurity = L"D:P(A;;0x12008B;;;BA)(A;;0x12008B;;;SY)"
                                        L"(A;;0x12008B;;;IU)(A;;0x12008B;;;OW)";

// Waiting for a cancelled operation to finish takes no client's help.
constexpr DWORD cancelTimeout = 5000;

Win32::unique_file createPipe(const wchar_t* name) {
    Win32::unique_local_memory descriptor;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            pipeSecurity, SDDL_REVISION_1,
            reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.put()), nullptr))
        Win32::throwLastError("ConvertStringSecurityDescriptorToSecurityDescriptor");
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    Win32::unique_file pipe(::CreateNamedPipeW(
        name, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 65536,
        StatusRequest::longest, 0, &attributes));
    if (!pipe)
        Win32::throwLastError("CreateNamedPipe");
    return pipe;
}

DWORD left(DWORD deadline) {
    const DWORD rest = deadline - ::GetTickCount();
    return rest > statusConnectionTimeout ? 0 : rest;
}

} // namespace

StatusServer::StatusServer(const StatusRecord& record, EventLog& eventLog, const wchar_t* pipeName)
    : record_(record), eventLog_(eventLog), quitEvent_(Win32::createEvent()),
      ioEvent_(Win32::createEvent()), pipe_(createPipe(pipeName)) {
    overlapped_.hEvent = ioEvent_.get();
    thread_ = std::thread([this] { run(); });
}

StatusServer::~StatusServer() {
    ::SetEvent(quitEvent_.get());
    thread_.join();
}

std::unique_ptr<StatusServer> startStatusServer(const StatusRecord& record,
                                                EventLog& eventLog) noexcept {
    try {
        return std::make_unique<StatusServer>(record, eventLog, statusPipeName);
    } catch (const std::exception& e) {
        eventLog.reportException("Korva::QELD::startStatusServer", e);
    }
    return nullptr;
}

void StatusServer::run() noexcept {
    Win32::setThreadName("StatusServer");
    try {
        while (!quitting())
            serveOne();
    } catch (const std::exception& e) {
        eventLog_.reportException("Korva::QELD::StatusServer::run", e);
    } catch (...) {
        eventLog_.reportUnexpectedType();
    }
}

bool StatusServer::quitting() const {
    return ::WaitForSingleObject(quitEvent_.get(), 0) == WAIT_OBJECT_0;
}

// The event of the one operation in flight, reset before each start.
OVERLAPPED* StatusServer::next() {
    if (!::ResetEvent(ioEvent_.get()))
        Win32::throwLastError("ResetEvent");
    return &overlapped_;
}

// Waits for an overlapped operation at most that long (or until quit); true
// when it succeeded. A late operation is cancelled, and its end awaited,
// before the caller drops the connection.
bool StatusServer::complete(BOOL result, DWORD& bytes, DWORD timeout) {
    if (!result && ::GetLastError() != ERROR_IO_PENDING)
        return false;
    const HANDLE waits[] = {quitEvent_.get(), ioEvent_.get()};
    if (::WaitForMultipleObjects(2, waits, FALSE, timeout) != WAIT_OBJECT_0 + 1) {
        ::CancelIoEx(pipe_.get(), &overlapped_);
        if (::WaitForSingleObject(ioEvent_.get(), cancelTimeout) != WAIT_OBJECT_0)
            Win32::throwWin32(ERROR_TIMEOUT, "CancelIoEx");
    }
    return ::GetOverlappedResult(pipe_.get(), &overlapped_, &bytes, FALSE) != FALSE;
}

// A client may connect between two connections (the pipe is then connected
// at once) or connect and close before it is served (no data).
void StatusServer::serveOne() {
    DWORD bytes = 0;
    const BOOL result = ::ConnectNamedPipe(pipe_.get(), next());
    const DWORD error = result ? ERROR_SUCCESS : ::GetLastError();
    bool connected = result || error == ERROR_PIPE_CONNECTED;
    if (error == ERROR_IO_PENDING)
        connected = complete(result, bytes, INFINITE);
    else if (!connected && error != ERROR_NO_DATA)
        Win32::throwWin32(error, "ConnectNamedPipe");
    if (connected)
        answer(::GetTickCount() + statusConnectionTimeout);
    ::DisconnectNamedPipe(pipe_.get());
}

// Reads the request, writes the reply and waits for the client to close its
// end, so that disconnecting does not discard a reply not yet read.
void StatusServer::answer(DWORD deadline) {
    StatusRequest request;
    char buffer[StatusRequest::longest];
    DWORD bytes = 0;
    auto result = StatusRequest::Result::Incomplete;
    while (result == StatusRequest::Result::Incomplete) {
        if (!complete(::ReadFile(pipe_.get(), buffer, sizeof buffer, nullptr, next()), bytes,
                      left(deadline)))
            return;
        result = request.add({buffer, bytes});
    }
    if (result == StatusRequest::Result::Refused)
        return;
    std::string reply = formatStatus(record_.snapshot(), std::chrono::steady_clock::now());
    reply.push_back('\0');
    if (!complete(::WriteFile(pipe_.get(), reply.data(), static_cast<DWORD>(reply.size()), nullptr,
                              next()),
                  bytes, left(deadline)))
        return;
    complete(::ReadFile(pipe_.get(), buffer, sizeof buffer, nullptr, next()), bytes,
             left(deadline));
}

} // namespace Korva::QELD
