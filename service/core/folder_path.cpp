#include "service/core/folder_path.h"

#include <algorithm>

namespace Korva::QELD {
namespace {

// A folder's path leaves room for a file name of 8.3 characters in MAX_PATH.
constexpr std::size_t longestFolder = 247;

bool isLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

FolderPathProblem characterProblem(std::u16string_view text) {
    if (text.find_first_of(u"*?") != std::u16string_view::npos)
        return FolderPathProblem::Wildcard;
    const auto bad = [](char16_t c) {
        return c < 0x20 || std::u16string_view(u"<>\":|").find(c) != std::u16string_view::npos;
    };
    return std::any_of(text.begin(), text.end(), bad) ? FolderPathProblem::BadCharacter
                                                      : FolderPathProblem::None;
}

// Windows drops trailing spaces and dots of a name, so such a part would name
// another folder than the one given.
bool badComponent(std::u16string_view part) {
    return part.empty() || part == u"." || part == u".." || part.back() == u' ' ||
           part.back() == u'.';
}

// The parts after the root; a single trailing separator is allowed.
FolderPathProblem componentsProblem(std::u16string_view rest) {
    if (!rest.empty() && rest.back() == u'\\')
        rest.remove_suffix(1);
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find(u'\\'), rest.size());
        if (badComponent(rest.substr(0, end)) || end + 1 == rest.size())
            return FolderPathProblem::BadComponent;
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return FolderPathProblem::None;
}

FolderPathProblem uncProblem(std::u16string_view path) {
    const std::u16string_view rest = path.substr(2);
    const std::size_t serverEnd = rest.find(u'\\');
    if (serverEnd == std::u16string_view::npos)
        return FolderPathProblem::NotAbsolute;
    if (const auto problem = characterProblem(rest); problem != FolderPathProblem::None)
        return problem;
    const std::u16string_view shareAndFolders = rest.substr(serverEnd + 1);
    if (badComponent(rest.substr(0, serverEnd)) || shareAndFolders.empty() ||
        shareAndFolders.front() == u'\\')
        return FolderPathProblem::BadComponent;
    return componentsProblem(shareAndFolders);
}

FolderPathProblem localProblem(std::u16string_view path,
                               const std::function<bool(char16_t)>& isNetworkDrive) {
    if (path.size() < 3 || !isLetter(path[0]) || path[1] != u':' || path[2] != u'\\')
        return FolderPathProblem::NotAbsolute;
    const std::u16string_view rest = path.substr(3);
    if (const auto problem = characterProblem(rest); problem != FolderPathProblem::None)
        return problem;
    if (const auto problem = componentsProblem(rest); problem != FolderPathProblem::None)
        return problem;
    const char16_t drive = path[0] >= u'a' ? static_cast<char16_t>(path[0] - u'a' + u'A') : path[0];
    return isNetworkDrive(drive) ? FolderPathProblem::NetworkDrive : FolderPathProblem::None;
}

} // namespace

FolderPathCheck checkFolderPath(std::u16string_view path,
                                const std::function<bool(char16_t)>& isNetworkDrive) {
    std::u16string folder(path);
    std::replace(folder.begin(), folder.end(), u'/', u'\\');
    if (folder.empty() || folder.back() != u'\\')
        folder += u'\\';
    const bool unc = folder.size() > 2 && folder[0] == u'\\' && folder[1] == u'\\';
    FolderPathCheck check;
    check.problem = unc ? uncProblem(folder) : localProblem(folder, isNetworkDrive);
    if (check.problem == FolderPathProblem::None && folder.size() > longestFolder + 1)
        check.problem = FolderPathProblem::TooLong;
    if (check.problem == FolderPathProblem::None)
        check.folder = std::move(folder);
    return check;
}

std::u16string folderPathAdvice(FolderPathProblem problem) {
    const std::u16string forms =
        u"give a full local path (C:\\Pictures) or a UNC path (\\\\server\\share\\folder).";
    switch (problem) {
    case FolderPathProblem::None:
        return {};
    case FolderPathProblem::NotAbsolute:
        break;
    case FolderPathProblem::Wildcard:
        return u"a folder cannot be named with wildcards (* or ?); " + forms;
    case FolderPathProblem::BadCharacter:
        return u"a path cannot hold the characters < > \" : | or control characters; " + forms;
    case FolderPathProblem::BadComponent:
        return u"a folder's name cannot be empty, \".\" or \"..\", nor end in a space or a dot; " +
               forms;
    case FolderPathProblem::TooLong:
        return u"the path is longer than 247 characters; " + forms;
    case FolderPathProblem::NetworkDrive:
        return u"this drive letter is a network drive, which the service cannot see; give the "
               u"share's UNC path (\\\\server\\share\\folder).";
    }
    return forms;
}

} // namespace Korva::QELD
