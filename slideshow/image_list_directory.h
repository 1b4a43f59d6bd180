#pragma once

#include "common/unique_handle.h"

#include <string>
#include <vector>

namespace Korva::QELD {

// Appends the names of everything in a folder (which ends with a separator),
// in the order the platform lists them. Returns 0, or the error by which the
// search could not start.
DWORD listFolder(const std::u16string& folder, std::vector<std::u16string>& names);

// Opens a folder for reading change notifications, overlapped; deleting the
// folder stays refused while it is open. Empty when it cannot be opened.
Win32::unique_file openFolderForWatching(const std::u16string& folder) noexcept;

} // namespace Korva::QELD
