#pragma once

#include <windows.h>

namespace Korva::QELD::Test {

// The first top-level window of the given process with this class and, when
// given, this title; null when it has none. Tests run side by side on one
// desktop, so a search by class and title alone may find another test's.
HWND findProcessWindow(DWORD process, const wchar_t* className, const wchar_t* title = nullptr);

} // namespace Korva::QELD::Test
