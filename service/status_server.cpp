#include "service/status_server.h"

#include "common/error_categories.h"
#include "common/thread_name.h"
#include "common/core/utf.h"
#include "service/status_pipe.h"
#include "service/core/status_json.h"
#include "service/core/status_request.h"
#include "service/core/status_text.h"

#include <sddl.h>

namespace Korva::QELD {
namespace {

using namespace std::chrono;

// Administrators, SYSTEM, interactive users and the owner get read access
// and FILE_WRITE_DATA, which sending the request needs; no one gets
// FILE_CREATE_PIPE_INSTANCE (serving on the name), attribute writes or the
// right to change the descriptor. The owner ACE takes the owner's implicit
// right to rewrite the descriptor away.
constexpr const wchar_t* pipeSecurity = L"D:P(A;;0x12008B;;;BA)(A;;0x12008B;;;SY)"
                                        L"(A;;0x12008B;;;IU)(A;;0x12008B;;;OW)";

// Waiting for a cancelled operation to finish takes no client's help.
constexpr DWORD cancelTimeout = 5000;

// The first instance must be the first of the name: a name another program
// created before would otherwise hand our clients to it.
Win32::unique_file createPipe(const wchar_t* name, bool first) {
    Win32::unique_local_memory descriptor;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            pipeSecurity, SDDL_REVISION_1,
            reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.put()), nullptr))
        Win32::throwLastError("ConvertStringSecurityDescriptorToSecurityDescriptor");
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    Win32::unique_file pipe(::CreateNamedPipeW(
        name,
        PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
        StatusServer::instances, 65536, StatusRequest::longest, 0, &attributes));
    if (!pipe)
        Win32::throwLastError("CreateNamedPipe");
    return pipe;
}

DWORD left(DWORD deadline) {
    const DWORD rest = deadline - ::GetTickCount();
    return rest > statusConnectionTimeout ? 0 : rest;
}

// The JSON reply starts with a line holding the exit code of its health, so
// that the client need not parse the JSON to end with it. Both end with a
// zero byte.
std::string reply(const StatusRecord& record, StatusRequest::Result request) {
    const StatusSnapshot status = record.snapshot();
    const HealthReport health = assessHealth(status, system_clock::now());
    std::string text = request == StatusRequest::Result::Json
                           ? std::to_string(healthExitCode(health.state)) + "\n" +
                                 formatStatusJson(status, health, steady_clock::now())
                           : formatStatus(status, health, steady_clock::now());
    text.push_back('\0');
    return text;
}

} // namespace

// An operation in flight writes into the OVERLAPPED: it is cancelled, and
// its end awaited, first.
StatusServer::Instance::~Instance() {
    if (pipe && ::CancelIoEx(pipe.get(), &overlapped))
        ::WaitForSingleObject(event.get(), cancelTimeout);
}

StatusServer::StatusServer(const StatusRecord& record, EventLog& eventLog, const wchar_t* pipeName)
    : record_(record), eventLog_(eventLog), pipeName_(pipeName), quitEvent_(Win32::createEvent()) {
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

// Each outage is reported once: when serving starts again, a later failure
// is news again.
void StatusServer::run() noexcept {
    Win32::setThreadName("StatusServer");
    bool reported = false;
    do {
        try {
            serve(reported);
        } catch (const std::system_error& e) {
            if (!std::exchange(reported, true))
                eventLog_.write(EventReports::statusPipeUnavailable(
                    utf8FromUtf16(
                        {reinterpret_cast<const char16_t*>(pipeName_.data()), pipeName_.size()}),
                    e.code()));
        } catch (const std::exception& e) {
            if (!std::exchange(reported, true))
                eventLog_.reportException("Korva::QELD::StatusServer::run", e);
        } catch (...) {
            if (!std::exchange(reported, true))
                eventLog_.reportUnexpectedType();
        }
    } while (::WaitForSingleObject(quitEvent_.get(), static_cast<DWORD>(retryPeriod.count())) ==
             WAIT_TIMEOUT);
}

// Serves until told to quit. After each connection the search for the next
// starts behind it, so every waiting client gets its turn.
void StatusServer::serve(bool& reported) {
    Instances pipes;
    std::array<HANDLE, instances + 1> waits{quitEvent_.get()};
    for (std::size_t i = 0; i < instances; ++i) {
        pipes[i] = std::make_unique<Instance>();
        pipes[i]->pipe = createPipe(pipeName_.c_str(), i == 0);
        pipes[i]->overlapped.hEvent = pipes[i]->event.get();
        waits[i + 1] = pipes[i]->event.get();
        listen(*pipes[i]);
    }
    reported = false;
    std::size_t turn = 0;
    for (;;) {
        const DWORD result = ::WaitForMultipleObjects(static_cast<DWORD>(waits.size()),
                                                      waits.data(), FALSE, INFINITE);
        if (result == WAIT_OBJECT_0)
            return;
        if (result > WAIT_OBJECT_0 + instances)
            Win32::throwLastError("WaitForMultipleObjects");
        for (std::size_t k = 0; k < instances; ++k) {
            Instance& instance = *pipes[(turn + k) % instances];
            if (::WaitForSingleObject(instance.event.get(), 0) == WAIT_OBJECT_0) {
                serveOne(instance);
                turn = (turn + k + 1) % instances;
                break;
            }
        }
    }
}

// The event of the instance's one operation in flight, reset before each.
OVERLAPPED* StatusServer::next(Instance& instance) {
    if (!::ResetEvent(instance.event.get()))
        Win32::throwLastError("ResetEvent");
    return &instance.overlapped;
}

// A client may connect before the instance listens (it is connected at once:
// the event is set by hand) or connect and close before it is served.
void StatusServer::listen(Instance& instance) {
    for (;;) {
        instance.connected = false;
        if (::ConnectNamedPipe(instance.pipe.get(), next(instance)))
            Win32::throwWin32(ERROR_INVALID_FUNCTION, "ConnectNamedPipe");
        const DWORD error = ::GetLastError();
        if (error == ERROR_IO_PENDING)
            return;
        if (error == ERROR_PIPE_CONNECTED) {
            instance.connected = true;
            if (!::SetEvent(instance.event.get()))
                Win32::throwLastError("SetEvent");
            return;
        }
        if (error != ERROR_NO_DATA)
            Win32::throwWin32(error, "ConnectNamedPipe");
        ::DisconnectNamedPipe(instance.pipe.get());
    }
}

void StatusServer::serveOne(Instance& instance) {
    DWORD bytes = 0;
    if (instance.connected ||
        ::GetOverlappedResult(instance.pipe.get(), &instance.overlapped, &bytes, FALSE))
        answer(instance, ::GetTickCount() + statusConnectionTimeout);
    ::DisconnectNamedPipe(instance.pipe.get());
    listen(instance);
}

// Waits for an overlapped operation at most that long (or until quit); true
// when it succeeded. A late operation is cancelled, and its end awaited,
// before the caller drops the connection.
bool StatusServer::complete(Instance& instance, BOOL result, DWORD& bytes, DWORD timeout) {
    if (!result && ::GetLastError() != ERROR_IO_PENDING)
        return false;
    const HANDLE waits[] = {quitEvent_.get(), instance.event.get()};
    if (::WaitForMultipleObjects(2, waits, FALSE, timeout) != WAIT_OBJECT_0 + 1) {
        ::CancelIoEx(instance.pipe.get(), &instance.overlapped);
        if (::WaitForSingleObject(instance.event.get(), cancelTimeout) != WAIT_OBJECT_0)
            Win32::throwWin32(ERROR_TIMEOUT, "CancelIoEx");
    }
    return ::GetOverlappedResult(instance.pipe.get(), &instance.overlapped, &bytes, FALSE) != FALSE;
}

// Reads the request, writes the reply and waits for the client to close its
// end, so that disconnecting does not discard a reply not yet read.
void StatusServer::answer(Instance& instance, DWORD deadline) {
    const HANDLE pipe = instance.pipe.get();
    StatusRequest request;
    char buffer[StatusRequest::longest];
    DWORD bytes = 0;
    auto result = StatusRequest::Result::Incomplete;
    while (result == StatusRequest::Result::Incomplete) {
        if (!complete(instance, ::ReadFile(pipe, buffer, sizeof buffer, nullptr, next(instance)),
                      bytes, left(deadline)))
            return;
        result = request.add({buffer, bytes});
    }
    if (result == StatusRequest::Result::Refused)
        return;
    const std::string text = reply(record_, result);
    if (!complete(instance,
                  ::WriteFile(pipe, text.data(), static_cast<DWORD>(text.size()), nullptr,
                              next(instance)),
                  bytes, left(deadline)))
        return;
    complete(instance, ::ReadFile(pipe, buffer, sizeof buffer, nullptr, next(instance)), bytes,
             left(deadline));
}

} // namespace Korva::QELD
