#pragma once

#include "slideshow/core/copy_plan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Korva::QELD {

// The folder of a share's local copy, ending with a separator, under the
// all-users application data folder:
// "...\\Zelqa\\QEL Display\\Picture copies\\<copyFolderName>\\".
std::u16string pictureCopyFolder(const std::u16string& shareFolder);

// What the copy holds after it was brought in step: the pictures (named
// relative to the folder) in the list's order, and their bytes.
struct CopyContents {
    std::vector<FolderItem> pictures;
    std::uint64_t bytes = 0;
};

// Brings the copy in step with the share's pictures (in the list's order,
// named relative to the share's folder) within the bound: copies what is
// missing or changed, deletes what the copy no longer keeps. A picture that
// cannot be copied is left out, and copied again after the next listing.
// Creates the copy's folder when it is missing.
CopyContents bringCopyInStep(const std::u16string& shareFolder, const std::u16string& copyFolder,
                             const std::vector<FolderItem>& pictures, std::uint64_t bound);

// What the copy holds now, for showing it while the share is unreachable.
CopyContents readCopy(const std::u16string& copyFolder);

} // namespace Korva::QELD
