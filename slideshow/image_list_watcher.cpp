#include "slideshow/image_list.h"

#include "common/debug_output.h"
#include "common/thread_name.h"
#include "slideshow/image_list_changes.h"
#include "slideshow/image_list_directory.h"

namespace Korva::QELD {
namespace {

const char* const watcherName = "Korva::QELD::ImageList::directoryThread";
// The fixed numbers a failed wait's event-log report carries to say which
// wait it was: the wait for a folder notification and the pause, waiting for
// quit, before the folder is opened again.
constexpr int notificationWaitSite = 305;
constexpr int pauseWaitSite = 332;

// One notification read on a folder. The system writes into its record and
// buffer until the read ends, so a read still pending when it goes out of
// scope is cancelled and waited for.
class NotificationRead : noncopyable {
public:
    NotificationRead(HANDLE folder, HANDLE completion) : folder_(folder) {
        overlapped_.hEvent = completion;
    }
    ~NotificationRead() {
        DWORD bytes = 0;
        if (pending_ && ::CancelIo(folder_))
            ::GetOverlappedResult(folder_, &overlapped_, &bytes, TRUE);
    }

    bool start(std::vector<std::uint8_t>& buffer) {
        pending_ = ::ReadDirectoryChangesW(folder_, buffer.data(), notificationBufferSize, FALSE,
                                           FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE |
                                               FILE_NOTIFY_CHANGE_LAST_WRITE,
                                           nullptr, &overlapped_, nullptr) != FALSE;
        return pending_;
    }

    // The error of the ended read, 0 when it succeeded.
    DWORD finish(DWORD& bytes) {
        pending_ = false;
        return ::GetOverlappedResult(folder_, &overlapped_, &bytes, TRUE) ? 0 : ::GetLastError();
    }

private:
    HANDLE folder_;
    OVERLAPPED overlapped_{};
    bool pending_ = false;
};

} // namespace

void ImageList::directoryThread() noexcept {
    try {
        Win32::setThreadName("ImageList::directoryThread()");
        const Win32::unique_event completion = Win32::createEvent();
        std::vector<std::uint8_t> buffer(notificationBufferSize);
        followFolder(completion.get(), buffer);
    } catch (...) {
        eventLog_.report(Event_UnexpectedType);
    }
}

// A folder that cannot be opened (not created yet, or gone) is tried again at
// folderRetryInterval, and after a failed read the watcher pauses as long
// before opening the folder again. Every opening lists the folder anew, so
// what changed while it was not watched is followed too.
void ImageList::followFolder(HANDLE completion, std::vector<std::uint8_t>& buffer) {
    std::u16string folder;
    {
        const std::lock_guard lock(mutex_);
        folder = state_.folder();
    }
    if (folder.empty()) {
        while (!quitWithin(INFINITE)) {
        }
        return;
    }
    for (;;) {
        const Win32::unique_file handle = openFolderForWatching(folder);
        if (handle && watch(folder, handle.get(), completion, buffer) == WatchEnd::Quit)
            return;
        if (quitWithin(static_cast<DWORD>(folderRetryInterval.count())))
            return;
    }
}

ImageList::WatchEnd ImageList::watch(const std::u16string& folder, HANDLE handle, HANDLE completion,
                                     std::vector<std::uint8_t>& buffer) {
    bool listed = false;
    for (;;) {
        NotificationRead read(handle, completion);
        if (!read.start(buffer)) {
            eventLog_.reportApiFailure(watcherName, "ReadDirectoryChanges", ::GetLastError());
            return WatchEnd::Failed;
        }
        // The first read is armed before the folder is listed, so that a
        // change made during the listing is reported rather than lost.
        if (!listed) {
            rescan(folder);
            listed = true;
        }
        const HANDLE waits[] = {quitEvent_.get(), completion};
        const DWORD result = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0)
            return WatchEnd::Quit;
        if (result != WAIT_OBJECT_0 + 1) {
            eventLog_.reportWaitResult(watcherName, notificationWaitSite, result);
            return WatchEnd::Failed;
        }
        DWORD bytes = 0;
        if (const DWORD error = read.finish(bytes); error == 0) {
            takeCompletion(folder, buffer, bytes);
        } else if (error == ERROR_NOTIFY_ENUM_DIR) {
            rescan(folder);
        } else {
            eventLog_.reportApiFailure(watcherName, "GetOverlappedResult", error);
            return WatchEnd::Failed;
        }
    }
}

// A completion too short to hold a record is how the system says that it
// lost changes (its own buffer overflowed): the folder is listed again.
void ImageList::takeCompletion(const std::u16string& folder,
                               const std::vector<std::uint8_t>& buffer, DWORD bytes) {
    if (bytes < minimumNotificationSize) {
        rescan(folder);
        return;
    }
    const auto changes = parseNotifications(buffer.data(), bytes);
    const std::lock_guard lock(mutex_);
    if (state_.applyChanges(changes))
        setChangeEvent();
}

// A folder that cannot be listed leaves the list as it is.
void ImageList::rescan(const std::u16string& folder) {
    Win32::debugOutput(L"ImageList::directoryThread: listing the folder\n");
    std::vector<std::u16string> names;
    if (listFolder(folder, names) != 0)
        return;
    const std::lock_guard lock(mutex_);
    if (state_.reconcile(names))
        setChangeEvent();
}

bool ImageList::quitWithin(DWORD milliseconds) {
    const DWORD result = ::WaitForSingleObject(quitEvent_.get(), milliseconds);
    if (result == WAIT_OBJECT_0)
        return true;
    if (result != WAIT_TIMEOUT)
        eventLog_.reportWaitResult(watcherName, pauseWaitSite, result);
    return false;
}

} // namespace Korva::QELD
