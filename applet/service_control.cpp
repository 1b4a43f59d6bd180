#include "applet/service_control.h"

#include "applet/applet_paths.h"
#include "applet/service_wait.h"
#include "common/unique_handle.h"

namespace Korva::QELD {

namespace {

using Korva::Win32::unique_service;

bool queryStatus(SC_HANDLE service, SERVICE_STATUS_PROCESS& status) {
    DWORD needed = 0;
    return ::QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                  sizeof(status), &needed) != FALSE;
}

bool sendRequest(SC_HANDLE service, DWORD targetState, SERVICE_STATUS_PROCESS& status) {
    if (targetState != SERVICE_STOPPED)
        return ::StartServiceW(service, 0, nullptr) != FALSE;
    SERVICE_STATUS stopped{};
    if (!::ControlService(service, SERVICE_CONTROL_STOP, &stopped))
        return false;
    status.dwCurrentState = stopped.dwCurrentState;
    status.dwWaitHint = stopped.dwWaitHint;
    return true;
}

// One step of a wait: pauses, queries again and tells whether the wait is
// over (true when the target state was reached, false on a failed query or a
// timeout), or none to go on waiting.
std::optional<bool> pollOnce(SC_HANDLE service, DWORD targetState, DWORD start, DWORD pause,
                             SERVICE_STATUS_PROCESS& status) {
    ::Sleep(pause);
    if (!queryStatus(service, status))
        return false;
    if (status.dwCurrentState == targetState)
        return true;
    if (serviceWaitExpired(start, ::GetTickCount()))
        return false;
    return std::nullopt;
}

// Waits while the service is already on its way to the target state; none
// when it is no longer pending and still needs the request.
std::optional<bool> awaitPending(SC_HANDLE service, DWORD targetState, DWORD pendingState,
                                 DWORD start, SERVICE_STATUS_PROCESS& status) {
    while (status.dwCurrentState == pendingState) {
        const DWORD pause = pendingPause(status.dwWaitHint);
        if (const auto over = pollOnce(service, targetState, start, pause, status))
            return over;
    }
    return std::nullopt;
}

bool awaitRequest(SC_HANDLE service, DWORD targetState, DWORD start,
                  SERVICE_STATUS_PROCESS& status) {
    if (status.dwCurrentState == targetState)
        return true;
    for (;;) {
        const DWORD pause = requestPause(status.dwWaitHint);
        if (const auto over = pollOnce(service, targetState, start, pause, status))
            return *over;
    }
}

} // namespace

std::optional<DWORD> QueryServiceState() {
    const unique_service manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return std::nullopt;
    const unique_service service(
        ::OpenServiceW(manager.get(), appletPaths().serviceName.c_str(), SERVICE_QUERY_STATUS));
    SERVICE_STATUS_PROCESS status{};
    if (!service || !queryStatus(service.get(), status))
        return std::nullopt;
    return status.dwCurrentState;
}

bool ChangeServiceState(DWORD targetState, DWORD accessRight, DWORD pendingState) {
    const DWORD start = ::GetTickCount();
    const unique_service manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return false;
    const unique_service service(::OpenServiceW(manager.get(), appletPaths().serviceName.c_str(),
                                                accessRight | SERVICE_QUERY_STATUS));
    SERVICE_STATUS_PROCESS status{};
    if (!service || !queryStatus(service.get(), status))
        return false;
    if (status.dwCurrentState == targetState)
        return true;
    if (const auto arrived = awaitPending(service.get(), targetState, pendingState, start, status))
        return *arrived;
    if (!sendRequest(service.get(), targetState, status))
        return false;
    return awaitRequest(service.get(), targetState, start, status);
}

} // namespace Korva::QELD
