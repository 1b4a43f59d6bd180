#pragma once

#include <windows.h>

#include <string>

namespace Korva::QELD {

// Starts a program through the shell: the verb "runas" asks for elevation,
// "open" starts it with the user's rights. ERROR_SUCCESS when it started,
// else the system's error code.
using LaunchStep = DWORD (*)(HWND owner, const wchar_t* verb, const std::wstring& program);

// The step the applet starts programs with; tests put one of their own in
// its place to see what would be started.
LaunchStep& launchStep() noexcept;

} // namespace Korva::QELD
