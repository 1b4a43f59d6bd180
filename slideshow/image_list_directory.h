#pragma once

#include "common/unique_handle.h"

#include <string>
#include <vector>

namespace Korva::QELD {

// Appends the names of everything in a folder (which ends with a separator),
// in the order the platform lists them. Returns 0, or the error by which the
// search could not start.
DWORD listFolder(const std::u16string& folder, std::vector<std::u16string>& names);

// Opens a folder for reading change notifications, overlapped. The folder
// may still be deleted or renamed while it is open, so that the watcher never
// stands in the way of an administrator replacing it. Empty when it cannot be
// opened; the calling thread's last error then says why.
Win32::unique_file openFolderForWatching(const std::u16string& folder) noexcept;

// Whether the path still names the folder that the handle was opened on:
// false when the folder was deleted, renamed away or replaced, or its drive
// or share dropped out.
bool namesOpenFolder(const std::u16string& folder, HANDLE open) noexcept;

} // namespace Korva::QELD
