#pragma once

#include "common/unique_handle.h"
#include "slideshow/core/folder_item.h"

#include <string>
#include <vector>

namespace Korva::QELD {

// Appends everything in a folder (which ends with a separator) with its size
// and last-write time, in the order the platform lists them. Returns 0, or
// the error by which the search could not start.
DWORD listFolder(const std::u16string& folder, std::vector<FolderItem>& items);

// Opens a folder for reading change notifications, overlapped. The folder
// may still be deleted or renamed while it is open, so that the watcher never
// stands in the way of an administrator replacing it. Empty when it cannot be
// opened; the calling thread's last error then says why.
Win32::unique_file openFolderForWatching(const std::u16string& folder) noexcept;

// Whether the path still names the folder that the handle was opened on: 0
// when it does; the error of opening the path when it cannot be opened (the
// folder was deleted or renamed away, or its drive or server dropped out);
// ERROR_PATH_NOT_FOUND when another folder now has its path.
DWORD checkOpenFolder(const std::u16string& folder, HANDLE open) noexcept;

} // namespace Korva::QELD
