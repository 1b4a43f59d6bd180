#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace Korva::QELD {

enum class FolderPathProblem {
    None,
    NotAbsolute,  // neither "X:\..." nor "\\server\share..."
    Wildcard,     // "*" or "?"
    BadCharacter, // a character no file name can hold
    BadComponent, // an empty, "." or ".." part, or one ending in a space or dot
    TooLong,      // longer than a folder's path can be
    NetworkDrive
}; // a drive letter mapped to a share

struct FolderPathCheck {
    FolderPathProblem problem = FolderPathProblem::None;
    std::u16string folder; // with "\" separators and one trailing "\"; empty on a problem
};

// Checks a pictures folder given by an administrator: an absolute local path
// ("C:\Pictures") or a UNC path ("\\server\share\folder"); "/" is taken as
// a separator. A service cannot see the drive letters a user has mapped, so
// a letter for which isNetworkDrive (given the capital letter) is true is
// refused: the folder must be named by its UNC path.
FolderPathCheck checkFolderPath(std::u16string_view path,
                                const std::function<bool(char16_t)>& isNetworkDrive);

// What to tell the administrator about a problem, ending in a full stop.
std::u16string folderPathAdvice(FolderPathProblem problem);

} // namespace Korva::QELD
