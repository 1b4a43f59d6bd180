#include "slideshow/campaign_folders.h"

namespace Korva::QELD {

DWORD listSubfolders(const std::u16string& folder, std::vector<std::u16string>& names) {
    const std::u16string pattern = folder + u"*";
    WIN32_FIND_DATAW found{};
    const Win32::unique_find search(
        ::FindFirstFileW(reinterpret_cast<const wchar_t*>(pattern.c_str()), &found));
    if (!search)
        return ::GetLastError();
    do {
        const std::u16string name(reinterpret_cast<const char16_t*>(found.cFileName));
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != u"." && name != u"..")
            names.push_back(name);
    } while (::FindNextFileW(search.get(), &found));
    return 0;
}

} // namespace Korva::QELD
