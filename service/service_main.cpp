#include "service/service_main.h"

#include "common/error_categories.h"
#include "common/event_log.h"
#include "common/privileges.h"
#include "common/thread_name.h"
#include "service/main_thread.h"

#include <dbt.h>
#include "common/hid.h"

namespace Korva::QELD {
namespace {

constexpr const wchar_t* serviceName = L"QELDSVC";

// Service-specific exit codes of a failed run, so that the service control
// manager shows the failure and its recovery actions apply.
constexpr DWORD serviceExitStartFailed = 1;
constexpr DWORD serviceExitMainLoopFailed = 2;

class StatusReporter {
public:
    explicit StatusReporter(SERVICE_STATUS_HANDLE handle) : handle_(handle) {
        status_.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
        status_.dwWaitHint = 1000;
    }

    void report(DWORD state, DWORD controls, DWORD checkpoint) {
        status_.dwCurrentState = state;
        status_.dwControlsAccepted = controls;
        status_.dwCheckPoint = checkpoint;
        if (!::SetServiceStatus(handle_, &status_))
            Win32::throwLastError("SetServiceStatus");
    }

    void reportStopped(DWORD serviceExitCode = 0) {
        status_.dwWin32ExitCode = serviceExitCode == 0 ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR;
        status_.dwServiceSpecificExitCode = serviceExitCode;
        report(SERVICE_STOPPED, 0, status_.dwCheckPoint);
    }

private:
    SERVICE_STATUS_HANDLE handle_;
    SERVICE_STATUS status_{};
};

void registerForDevices(ServiceContext& context) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = 32;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    ::HidD_GetHidGuid(&filter.dbcc_classguid);
    context.deviceNotification.reset(
        ::RegisterDeviceNotificationW(context.statusHandle, &filter, DEVICE_NOTIFY_SERVICE_HANDLE));
    if (!context.deviceNotification)
        Win32::throwLastError("RegisterDeviceNotification");
}

// Returns the service-specific exit code: 0 unless the main loop failed.
DWORD startAndRun(ServiceContext& context, StatusReporter& status, EventLog& eventLog) {
    registerForDevices(context);
    status.report(SERVICE_START_PENDING, 0, 1);
    try {
        Win32::reducePrivileges();
    } catch (const std::system_error&) {
        eventLog.report(Event_ReducePrivilegesFailed);
    }
    status.report(SERVICE_START_PENDING, 0, 2);
    if (!context.settings.init()) {
        eventLog.report(Event_NoConfiguration);
        return 0;
    }
    status.report(SERVICE_RUNNING,
                  SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_POWEREVENT | SERVICE_ACCEPT_TIMECHANGE, 3);
    return mainLoop(context.settings, eventLog, RunMode::Service) ? 0 : serviceExitMainLoopFailed;
}

// Once the control handler is registered, every failure ends in STOPPED, so
// that the process exits rather than stays START_PENDING for ever.
void runService(EventLog& eventLog) {
    Win32::setThreadName("service");
    ServiceContext context;
    context.statusHandle =
        ::RegisterServiceCtrlHandlerExW(serviceName, serviceControlHandler, &context);
    if (context.statusHandle == nullptr)
        Win32::throwLastError("RegisterServiceCtrlHandlerEx");
    StatusReporter status(context.statusHandle);
    DWORD exitCode = serviceExitStartFailed;
    try {
        exitCode = startAndRun(context, status, eventLog);
    } catch (...) {
        eventLog.report(Event_UnknownException);
    }
    status.reportStopped(exitCode);
}

} // namespace

int runServiceDispatcher() noexcept {
    SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(serviceName), serviceMain},
                                    {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherW(table) ? 0 : static_cast<int>(::GetLastError());
}

void WINAPI serviceMain(DWORD, LPWSTR*) {
    EventLog eventLog(registerEventSource());
    try {
        runService(eventLog);
    } catch (...) {
        eventLog.report(Event_UnknownException);
    }
}

DWORD WINAPI serviceControlHandler(DWORD control, DWORD eventType, LPVOID, LPVOID context) {
    auto& settings = static_cast<ServiceContext*>(context)->settings;
    try {
        switch (control) {
        case SERVICE_CONTROL_STOP:
        case SERVICE_CONTROL_SHUTDOWN:
            settings.signalQuit();
            return NO_ERROR;
        case SERVICE_CONTROL_INTERROGATE:
        case SERVICE_CONTROL_PARAMCHANGE:
            return NO_ERROR;
        case SERVICE_CONTROL_DEVICEEVENT:
            if (eventType == DBT_DEVICEARRIVAL || eventType == DBT_DEVICEREMOVECOMPLETE)
                settings.signalDeviceChange();
            return NO_ERROR;
        case SERVICE_CONTROL_TIMECHANGE:
            settings.signalTimeChange();
            return NO_ERROR;
        case SERVICE_CONTROL_POWEREVENT:
            if (eventType == PBT_APMRESUMEAUTOMATIC)
                settings.signalResume();
            return NO_ERROR;
        default:
            return ERROR_CALL_NOT_IMPLEMENTED;
        }
    } catch (const std::system_error& e) {
        return static_cast<DWORD>(e.code().value());
    } catch (...) {
        return ERROR_INTERNAL_ERROR;
    }
}

} // namespace Korva::QELD
