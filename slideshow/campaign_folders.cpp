#include "slideshow/campaign_folders.h"

#include "slideshow/notification_read.h"

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

SubfolderChanges::SubfolderChanges(HANDLE folder, HANDLE completion)
    : folder_(folder), block_(std::make_unique<Block>()) {
    block_->overlapped.hEvent = completion;
}

SubfolderChanges::~SubfolderChanges() {
    if (!pending_ || !::CancelIo(folder_))
        return;
    if (::WaitForSingleObject(block_->overlapped.hEvent, notificationCancelWait) != WAIT_OBJECT_0)
        static_cast<void>(block_.release());
}

// The records are never read, so a small buffer does: one that overflows
// still completes the wait, which is all that is needed.
bool SubfolderChanges::start() {
    if (!::ResetEvent(block_->overlapped.hEvent))
        return false;
    pending_ = ::ReadDirectoryChangesW(folder_, block_->buffer, sizeof block_->buffer, FALSE,
                                       FILE_NOTIFY_CHANGE_DIR_NAME, nullptr, &block_->overlapped,
                                       nullptr) != FALSE;
    return pending_;
}

} // namespace Korva::QELD
