#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace Korva::QELD {

// Lets the user pick the picture folder with the shell's folder browser,
// starting at the current text. A folder on a network share or a removable
// drive is refused with a message; none when nothing usable was picked.
std::optional<std::wstring> browseForPictureFolder(HWND owner, const std::wstring& current);

} // namespace Korva::QELD
