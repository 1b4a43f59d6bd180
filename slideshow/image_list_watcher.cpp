#include "slideshow/image_list.h"

#include "common/debug_output.h"
#include "common/thread_body.h"
#include "slideshow/core/image_list_changes.h"
#include "slideshow/image_list_directory.h"

#include <utility>

namespace Korva::QELD {
namespace {

const char* const watcherName = "Korva::QELD::ImageList::directoryThread";
// The fixed number a failed wait's event-log report carries to say which
// wait it was: the watcher's one wait, for a notification, a tick or quit.
constexpr int notificationWaitSite = 305;

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
    Win32::runThreadBody(
        "ImageList::directoryThread()",
        [this] {
            const Win32::unique_event completion = Win32::createEvent();
            std::vector<std::uint8_t> buffer(notificationBufferSize);
            followFolder(completion.get(), buffer);
        },
        [this](std::exception_ptr) { eventLog_.report(Event_UnexpectedType); });
}

// The watcher waits for its folder (not created yet, or gone), then watches
// it through change notifications, or lists it periodically where changes
// cannot be read. Every opening lists the folder anew, so what changed while
// it was not watched is followed too. Each outage and each loss of change
// notifications is reported once.
void ImageList::followFolder(HANDLE completion, std::vector<std::uint8_t>& buffer) {
    std::u16string folder;
    {
        const std::lock_guard lock(mutex_);
        folder = state_.folder();
    }
    if (folder.empty()) {
        while (wake(nullptr, std::chrono::milliseconds(INFINITE)) != Wake::Quit) {
        }
        return;
    }
    // A folder missing at start has been reported by the first listing.
    bool outageReported = true;
    bool unwatchedReported = false;
    for (;;) {
        const Win32::unique_file handle = openFolderForWatching(folder);
        folderAvailable_ = static_cast<bool>(handle);
        if (!handle) {
            const DWORD error = ::GetLastError();
            if (!std::exchange(outageReported, true))
                eventLog_.reportFolderFailure(Event_FolderUnavailable, folder, error);
            if (wake(nullptr, folderRetryInterval) == Wake::Quit)
                return;
            continue;
        }
        outageReported = false;
        WatchEnd end = watch(folder, handle.get(), completion, buffer, unwatchedReported);
        if (end == WatchEnd::Unwatched)
            end = pause(folder, handle.get());
        if (end == WatchEnd::Quit)
            return;
        if (end == WatchEnd::Moved)
            dropPictures();
    }
}

ImageList::WatchEnd ImageList::watch(const std::u16string& folder, HANDLE handle, HANDLE completion,
                                     std::vector<std::uint8_t>& buffer, bool& unwatchedReported) {
    bool listed = false;
    for (;;) {
        NotificationRead read(handle, completion);
        const bool started = read.start(buffer);
        const DWORD startError = ::GetLastError();
        // The first read is armed before the folder is listed, so that a
        // change made during the listing is reported rather than lost.
        if (!listed) {
            rescan(folder);
            listed = true;
        }
        if (!started)
            return unwatched(folder, handle, startError, unwatchedReported);
        Wake woken;
        while ((woken = wake(completion, folderCheckInterval)) == Wake::Check) {
            if (!namesOpenFolder(folder, handle))
                return WatchEnd::Moved;
        }
        if (woken == Wake::Quit)
            return WatchEnd::Quit;
        DWORD bytes = 0;
        const DWORD error = read.finish(bytes);
        if (error != 0 && error != ERROR_NOTIFY_ENUM_DIR)
            return unwatched(folder, handle, error, unwatchedReported);
        if (error == 0)
            unwatchedReported = false;
        // A completion too short to hold a record is how the system says
        // that it lost changes (its own buffer overflowed), or that the
        // folder itself went: the folder is listed again.
        if (error == 0 && bytes >= minimumNotificationSize) {
            takeCompletion(buffer, bytes);
        } else {
            if (!namesOpenFolder(folder, handle))
                return WatchEnd::Moved;
            rescan(folder);
        }
    }
}

// A read that fails on a folder that is still there means that its changes
// cannot be read, as on a share without change notifications.
ImageList::WatchEnd ImageList::unwatched(const std::u16string& folder, HANDLE handle, DWORD error,
                                         bool& unwatchedReported) {
    if (!namesOpenFolder(folder, handle))
        return WatchEnd::Moved;
    if (!std::exchange(unwatchedReported, true))
        eventLog_.reportFolderFailure(Event_FolderNotWatched, folder, error);
    return WatchEnd::Unwatched;
}

// Waits out folderRelistInterval before the folder is listed and watched
// again, checking meanwhile at every tick that it is still there.
ImageList::WatchEnd ImageList::pause(const std::u16string& folder, HANDLE handle) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + folderRelistInterval;
    for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        if (wake(nullptr, left) == Wake::Quit)
            return WatchEnd::Quit;
        if (!namesOpenFolder(folder, handle))
            return WatchEnd::Moved;
    }
    return WatchEnd::Unwatched;
}

// Waits for the quit event, the completion (when given), a slideshow tick or
// the time-out; the last two are both a Check. A failed wait is reported and
// followed by a pause, so that a broken handle cannot make the watcher spin.
ImageList::Wake ImageList::wake(HANDLE completion, std::chrono::milliseconds timeout) {
    const HANDLE waits[] = {quitEvent_.get(), checkEvent_.get(), completion};
    const DWORD count = completion ? 3 : 2;
    const DWORD result =
        ::WaitForMultipleObjects(count, waits, FALSE, static_cast<DWORD>(timeout.count()));
    if (result == WAIT_OBJECT_0)
        return Wake::Quit;
    if (result == WAIT_OBJECT_0 + 2)
        return Wake::Completion;
    if (result == WAIT_OBJECT_0 + 1) {
        ::ResetEvent(checkEvent_.get());
    } else if (result != WAIT_TIMEOUT) {
        eventLog_.reportWaitResult(watcherName, notificationWaitSite, result);
        ::Sleep(static_cast<DWORD>(folderRetryInterval.count()));
    }
    return Wake::Check;
}

void ImageList::takeCompletion(const std::vector<std::uint8_t>& buffer, DWORD bytes) {
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

// The pictures of a folder that went (or was replaced) go as if they had
// been removed; a replacement may hold files of the same names with other
// contents, which are then prepared afresh.
void ImageList::dropPictures() {
    Win32::debugOutput(L"ImageList::directoryThread: the folder went away\n");
    const std::lock_guard lock(mutex_);
    state_.reconcile({});
}

} // namespace Korva::QELD
