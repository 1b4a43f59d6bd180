#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>

namespace Korva::QELD {

// The module that holds the applet's code and resources: the library when
// the control panel or the launcher loads it, or a program that links the
// applet in directly.
HINSTANCE moduleInstance() noexcept;

// A text of the applet's string table; empty when it is missing.
std::wstring loadString(UINT id);

// Sets the texts of a dialog's controls from the string table: pairs of
// control id and string id.
void setItemTexts(HWND dialog, std::initializer_list<std::pair<int, UINT>> texts);

} // namespace Korva::QELD
