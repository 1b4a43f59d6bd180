#include "slideshow/image_list_directory.h"

namespace Korva::QELD {
namespace {

const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

} // namespace

DWORD listFolder(const std::u16string& folder, std::vector<std::u16string>& names) {
    WIN32_FIND_DATAW found{};
    Win32::unique_find search(::FindFirstFileW(wide(folder + u"*"), &found));
    if (!search)
        return ::GetLastError();
    do {
        names.emplace_back(reinterpret_cast<const char16_t*>(found.cFileName));
    } while (::FindNextFileW(search.get(), &found));
    return 0;
}

Win32::unique_file openFolderForWatching(const std::u16string& folder) noexcept {
    return Win32::unique_file(::CreateFileW(
        wide(folder), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
}

} // namespace Korva::QELD
