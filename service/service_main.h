#pragma once

#include "common/unique_handle.h"
#include "settings/configuration_data.h"

namespace Korva::QELD {

// What the control handler works on: the settings object it raises flags on,
// the status handle and the device-notification registration.
struct ServiceContext {
    ConfigurationData settings;
    SERVICE_STATUS_HANDLE statusHandle = nullptr;
    Win32::unique_devnotify deviceNotification;
};

// Hands the process to the service control manager; returns the exit code:
// 0, or the dispatcher's error (for example when started from a console).
int runServiceDispatcher() noexcept;

void WINAPI serviceMain(DWORD argc, LPWSTR* argv);

DWORD WINAPI serviceControlHandler(DWORD control, DWORD eventType, LPVOID eventData,
                                   LPVOID context);

} // namespace Korva::QELD
