#include "slideshow/image_list_directory.h"

#include <cstdint>

namespace Korva::QELD {
namespace {

const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// A folder's identity: its file index with its creation time, which tells a
// folder apart from a later one given the same index (FAT reuses them).
struct FolderIdentity {
    std::uint64_t index = 0;
    FILETIME creation{};

    bool createdWith(const FolderIdentity& other) const noexcept {
        return ::CompareFileTime(&creation, &other.creation) == 0;
    }
};

bool identify(HANDLE folder, FolderIdentity& identity) noexcept {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(folder, &information))
        return false;
    identity = {std::uint64_t{information.nFileIndexHigh} << 32 | information.nFileIndexLow,
                information.ftCreationTime};
    return true;
}

} // namespace

DWORD listFolder(const std::u16string& folder, std::vector<FolderItem>& items) {
    WIN32_FIND_DATAW found{};
    Win32::unique_find search(::FindFirstFileW(wide(folder + u"*"), &found));
    if (!search)
        return ::GetLastError();
    do {
        const FileStamp stamp{std::uint64_t{found.nFileSizeHigh} << 32 | found.nFileSizeLow,
                              std::uint64_t{found.ftLastWriteTime.dwHighDateTime} << 32 |
                                  found.ftLastWriteTime.dwLowDateTime};
        items.push_back({reinterpret_cast<const char16_t*>(found.cFileName), stamp});
    } while (::FindNextFileW(search.get(), &found));
    return 0;
}

Win32::unique_file openFolderForWatching(const std::u16string& folder) noexcept {
    return Win32::unique_file(::CreateFileW(
        wide(folder), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
}

// Opening the path only for its attributes is cheap enough for every
// slideshow tick, and lists nothing. Wine gives the time of the last change
// as creation time: when the watched folder's own time moves during the
// check, the folder was changed meanwhile and only the index tells.
DWORD checkOpenFolder(const std::u16string& folder, HANDLE open) noexcept {
    const Win32::unique_file atPath(::CreateFileW(
        wide(folder), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!atPath)
        return ::GetLastError();
    FolderIdentity before;
    FolderIdentity named;
    FolderIdentity after;
    if (!identify(open, before) || !identify(atPath.get(), named) || !identify(open, after)) {
        const DWORD error = ::GetLastError();
        return error != 0 ? error : ERROR_PATH_NOT_FOUND;
    }
    if (named.index != before.index)
        return ERROR_PATH_NOT_FOUND;
    const bool same =
        named.createdWith(before) || named.createdWith(after) || !before.createdWith(after);
    return same ? 0 : ERROR_PATH_NOT_FOUND;
}

} // namespace Korva::QELD
