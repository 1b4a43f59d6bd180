#include "applet/service_control.h"

#include "applet/applet_paths.h"
#include "applet/core/service_wait.h"
#include "common/unique_handle.h"

#include <cstdint>
#include <vector>

namespace Korva::QELD {

namespace {

using Korva::Win32::unique_service;

bool queryStatus(SC_HANDLE service, SERVICE_STATUS_PROCESS& status) {
    DWORD needed = 0;
    return ::QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                  sizeof(status), &needed) != FALSE;
}

// The service's start type (SERVICE_AUTO_START and so on); none when its
// configuration cannot be read.
std::optional<DWORD> queryStartType(SC_HANDLE service) {
    DWORD needed = 0;
    ::QueryServiceConfigW(service, nullptr, 0, &needed);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return std::nullopt;
    std::vector<std::uint8_t> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!::QueryServiceConfigW(service, config, needed, &needed))
        return std::nullopt;
    return config->dwStartType;
}

unique_service openService(DWORD managerAccess, DWORD serviceAccess) {
    const unique_service manager(::OpenSCManagerW(nullptr, nullptr, managerAccess));
    if (!manager)
        return unique_service();
    return unique_service(
        ::OpenServiceW(manager.get(), appletPaths().serviceName.c_str(), serviceAccess));
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
    const auto service = openService(SC_MANAGER_CONNECT, SERVICE_QUERY_STATUS);
    SERVICE_STATUS_PROCESS status{};
    if (!service || !queryStatus(service.get(), status))
        return std::nullopt;
    return status.dwCurrentState;
}

std::optional<bool> querySlideshowDisabled() {
    const auto service =
        openService(SC_MANAGER_CONNECT, SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG);
    SERVICE_STATUS_PROCESS status{};
    if (!service || !queryStatus(service.get(), status))
        return std::nullopt;
    const auto startType = queryStartType(service.get());
    if (!startType)
        return std::nullopt;
    const bool runs =
        status.dwCurrentState == SERVICE_RUNNING || status.dwCurrentState == SERVICE_START_PENDING;
    return !runs && *startType != SERVICE_AUTO_START;
}

bool changeServiceStartType(StartType type) {
    const bool automatic = type == StartType::Automatic;
    const auto service = openService(SC_MANAGER_CONNECT, SERVICE_CHANGE_CONFIG);
    if (!service || !::ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE,
                                            automatic ? SERVICE_AUTO_START : SERVICE_DEMAND_START,
                                            SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr))
        return false;
    if (!automatic)
        return true;
    // Systems without delayed automatic start refuse the level, as the
    // installer finds too; plain automatic start is the closest they offer.
    SERVICE_DELAYED_AUTO_START_INFO delayed{TRUE};
    return ::ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_DELAYED_AUTO_START_INFO,
                                   &delayed) ||
           ::GetLastError() == ERROR_INVALID_LEVEL;
}

bool ChangeServiceState(const ServiceTransition& transition) {
    const auto [targetState, accessRight, pendingState] = transition;
    const DWORD start = ::GetTickCount();
    const auto service = openService(SC_MANAGER_ALL_ACCESS, accessRight | SERVICE_QUERY_STATUS);
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
