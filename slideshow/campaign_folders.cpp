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

SubfolderChanges::SubfolderChanges(HANDLE folder, HANDLE completion) : folder_(folder) {
    overlapped_.hEvent = completion;
}

SubfolderChanges::~SubfolderChanges() {
    DWORD bytes = 0;
    if (pending_ && ::CancelIo(folder_))
        ::GetOverlappedResult(folder_, &overlapped_, &bytes, TRUE);
}

// The records are never read, so a small buffer does: one that overflows
// still completes the wait, which is all that is needed.
bool SubfolderChanges::start() {
    if (!::ResetEvent(overlapped_.hEvent))
        return false;
    pending_ = ::ReadDirectoryChangesW(folder_, buffer_, sizeof buffer_, FALSE,
                                       FILE_NOTIFY_CHANGE_DIR_NAME, nullptr, &overlapped_,
                                       nullptr) != FALSE;
    return pending_;
}

} // namespace Korva::QELD
