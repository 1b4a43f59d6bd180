#pragma once

#include <windows.h>

#include <string>

namespace Korva::QELD {

// Where the applet keeps what it reads and writes: the service's Parameters
// key under HKEY_LOCAL_MACHINE, its own window state under HKEY_CURRENT_USER,
// and the service it starts and stops. Tests point them elsewhere.
struct AppletPaths {
    std::wstring parametersKey = L"SYSTEM\\CurrentControlSet\\services\\QELDSVC\\Parameters";
    std::wstring windowStateKey = L"SOFTWARE\\Korva\\QELD";
    std::wstring serviceName = L"QELDSVC";
};

AppletPaths& appletPaths() noexcept;

// The applet reads with KEY_READ and writes with these rights: reading,
// creating subkeys and setting values (0x2001F).
inline constexpr REGSAM appletWriteAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

} // namespace Korva::QELD
