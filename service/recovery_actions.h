#pragma once

#include <windows.h>

#include <functional>

namespace Korva::QELD {

// How long the service control manager waits before it starts a failed
// service again, and after how long without failures it forgets them.
inline constexpr DWORD recoveryRestartDelay = 60000;
inline constexpr DWORD recoveryResetPeriod = 24 * 60 * 60;

// The one system call that sets a service's configuration, replaceable so
// that tests can see what is set where the platform cannot read it back.
using ServiceConfigChange = std::function<BOOL(SC_HANDLE service, DWORD level, void* info)>;

// Sets the recovery actions: restart after recoveryRestartDelay, twice, then
// leave the service stopped; the count of failures starts afresh after
// recoveryResetPeriod seconds. They apply when the service stops with a
// non-zero exit code too, not only when its process dies. Systems that know
// no such flag (older than 6.0) restart it after a crash only. The handle
// needs SERVICE_CHANGE_CONFIG and SERVICE_START. Raises the system's error.
void setRecoveryActions(SC_HANDLE service,
                        const ServiceConfigChange& change = ::ChangeServiceConfig2W);

// "/recovery": sets the recovery actions of the installed service, for an
// upgrade that keeps the service of an older version. Returns 0, or 1359 on
// any failure.
int configureRecovery() noexcept;

} // namespace Korva::QELD
