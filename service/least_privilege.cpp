#include "service/least_privilege.h"

#include "common/error_categories.h"
#include "common/privileges.h"

#include <string>

namespace Korva::QELD {
namespace {

void changeKnownSetting(SC_HANDLE service, const ServiceConfigStep& change, DWORD level, void* info,
                        const char* name) {
    if (!change(service, level, info) && ::GetLastError() != ERROR_INVALID_LEVEL)
        Win32::throwLastError(name);
}

} // namespace

void declareLeastPrivilege(SC_HANDLE service, const ServiceConfigStep& change) {
    // A list of names, each ending in a NUL, and the list in one more.
    std::wstring privileges = std::wstring(Win32::usedPrivilege) + L'\0';
    SERVICE_REQUIRED_PRIVILEGES_INFOW required{privileges.data()};
    changeKnownSetting(service, change, SERVICE_CONFIG_REQUIRED_PRIVILEGES_INFO, &required,
                       "ChangeServiceConfig2(SERVICE_CONFIG_REQUIRED_PRIVILEGES_INFO)");
    SERVICE_SID_INFO sid{SERVICE_SID_TYPE_UNRESTRICTED};
    changeKnownSetting(service, change, SERVICE_CONFIG_SERVICE_SID_INFO, &sid,
                       "ChangeServiceConfig2(SERVICE_CONFIG_SERVICE_SID_INFO)");
}

} // namespace Korva::QELD
