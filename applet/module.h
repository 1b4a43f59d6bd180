#pragma once

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <utility>

namespace Korva::QELD {

// The module that holds the applet's code and resources: the library when
// the control panel or the launcher loads it, or a program that links the
// applet in directly.
HINSTANCE moduleInstance() noexcept;

// The full path of a module's file, null for the program's own; none when it
// cannot be read whole.
std::optional<std::wstring> modulePath(HMODULE module);

// A text of the applet's string table; empty when it is missing.
std::wstring loadString(UINT id);

// A text of the string table with its inserts %1, %2 ... filled in.
std::wstring formatString(UINT id, std::initializer_list<std::wstring> inserts);

// Sets the texts of a dialog's controls from the string table: pairs of
// control id and string id.
void setItemTexts(HWND dialog, std::initializer_list<std::pair<int, UINT>> texts);

} // namespace Korva::QELD
