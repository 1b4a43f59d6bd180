#pragma once

#include "slideshow/core/folder_item.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Korva::QELD {

// The local copy of a share's pictures a listing asks for: the pictures in
// the list's order as far as they fit the bound together, which of them to
// copy afresh (missing, or of another size or time), and which files of the
// copy go.
struct CopyPlan {
    std::vector<FolderItem> kept;
    std::vector<FolderItem> copy;
    std::vector<std::u16string> remove;
    std::uint64_t bytes = 0;
};

// The pictures are the list's, in its order; the copy is what the copy's
// folder holds now. Copying stops at the first picture that does not fit, so
// that the copy holds a stretch of the slideshow rather than its small files.
CopyPlan planCopy(const std::vector<FolderItem>& pictures, const std::vector<FolderItem>& copy,
                  std::uint64_t bound);

// The bound of a share's local copy, in bytes.
inline constexpr std::uint64_t pictureCopyBound = std::uint64_t{256} << 20;

// Whether a pictures folder lies on a file server ("\\server\share\...").
bool isShareFolder(std::u16string_view folder);

// Whether a failure to reach a share's folder means that the server answered
// that the folder does not exist (it was deleted, as a local folder can be),
// rather than that the server could not be reached.
bool isFolderGone(std::uint32_t error);

// The name of the folder that holds a share's local copy: the share's path
// without its leading separators, with every separator and every character
// a file name cannot hold replaced by "_", ASCII lower-cased.
std::u16string copyFolderName(std::u16string_view folder);

} // namespace Korva::QELD
