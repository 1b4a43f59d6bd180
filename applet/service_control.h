#pragma once

#include <windows.h>

#include <optional>

namespace Korva::QELD {

// The service's current state (SERVICE_RUNNING and so on), none when it
// cannot be read, for example when the service is not installed.
std::optional<DWORD> QueryServiceState();

// True when the slideshow is off for good: the service neither runs nor is
// starting, and it does not start with the system. A service that runs or
// starts automatically counts as enabled, so that saving an unrelated change
// never stops it. None when the service cannot be read.
std::optional<bool> querySlideshowDisabled();

enum class StartType { Automatic, OnDemand };

// Makes the choice last beyond the next restart: automatic delayed start
// (plain automatic start where the system refuses delayed start), or start on
// demand. True on success.
bool changeServiceStartType(StartType type);

// A change of the service's state: the state to reach, the access right that
// asks for it and the transitional state that leads there.
struct ServiceTransition {
    DWORD targetState;
    DWORD accessRight;
    DWORD pendingState;
};

inline constexpr ServiceTransition toRunning{SERVICE_RUNNING, SERVICE_START, SERVICE_START_PENDING};
inline constexpr ServiceTransition toStopped{SERVICE_STOPPED, SERVICE_STOP, SERVICE_STOP_PENDING};

// Brings the service to the transition's target state, waiting at most about
// 30 seconds. True when the service reached it; no request is sent when it is
// already there.
bool ChangeServiceState(const ServiceTransition& transition);

} // namespace Korva::QELD
