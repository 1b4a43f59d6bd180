#pragma once

#include <windows.h>

#include <functional>

namespace Korva::QELD {

// The call that changes one optional setting of a service; tests replace it
// where the system does not keep the setting.
using ServiceConfigStep = std::function<BOOL(SC_HANDLE service, DWORD level, void* info)>;

// Declares the one privilege the service uses as its only required one, so
// that the service control manager starts it without the others, and gives
// it an unrestricted service SID, so that rights can name "NT SERVICE\QELDSVC".
// Systems that do not know these settings refuse the level; the service then
// runs as before and removes the privileges itself at start.
void declareLeastPrivilege(SC_HANDLE service,
                           const ServiceConfigStep& change = ::ChangeServiceConfig2W);

} // namespace Korva::QELD
