#include "service/recovery_actions.h"

#include "common/error_categories.h"
#include "common/unique_handle.h"

#include <iostream>

namespace Korva::QELD {

void setRecoveryActions(SC_HANDLE service, const ServiceConfigChange& change) {
    SC_ACTION actions[] = {{SC_ACTION_RESTART, recoveryRestartDelay},
                           {SC_ACTION_RESTART, recoveryRestartDelay},
                           {SC_ACTION_NONE, 0}};
    SERVICE_FAILURE_ACTIONSW failure{recoveryResetPeriod, nullptr, nullptr, 3, actions};
    if (!change(service, SERVICE_CONFIG_FAILURE_ACTIONS, &failure))
        Win32::throwLastError("ChangeServiceConfig2(SERVICE_CONFIG_FAILURE_ACTIONS)");
    SERVICE_FAILURE_ACTIONS_FLAG flag{TRUE};
    if (!change(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &flag) &&
        ::GetLastError() != ERROR_INVALID_LEVEL)
        Win32::throwLastError("ChangeServiceConfig2(SERVICE_CONFIG_FAILURE_ACTIONS_FLAG)");
}

int configureRecovery() noexcept {
    try {
        const Win32::unique_service manager(
            ::OpenSCManagerW(nullptr, L"ServicesActive", SC_MANAGER_CONNECT));
        if (!manager)
            Win32::throwLastError("OpenSCManager");
        const Win32::unique_service service(
            ::OpenServiceW(manager.get(), L"QELDSVC", SERVICE_CHANGE_CONFIG | SERVICE_START));
        if (!service)
            Win32::throwLastError("OpenService");
        setRecoveryActions(service.get());
        std::cout << "Recovery actions set!" << std::endl;
        return 0;
    } catch (const std::system_error& e) {
        std::cout << "Failed: " << e.code().category().name() << ":" << e.code().value() << " ("
                  << e.what() << ")" << std::endl;
    }
    return ERROR_INTERNAL_ERROR;
}

} // namespace Korva::QELD
