#include "slideshow/image_list_call.h"

#include "common/debug_output.h"
#include "common/thread_body.h"
#include "slideshow/core/copy_plan.h"
#include "slideshow/core/image_list_changes.h"
#include "slideshow/image_list_directory.h"
#include "slideshow/notification_read.h"
#include "slideshow/picture_copy.h"

#include <system_error>

namespace Korva::QELD {
namespace {

const char* const watcherName = "Korva::QELD::ImageList::directoryThread";
// The fixed number a failed wait's event-log report carries to say which
// wait it was: the watcher's one wait, for a notification, a tick or quit.
constexpr int notificationWaitSite = 305;

// A folder opened for watching, or the error by which it could not be.
struct Opened {
    std::shared_ptr<Win32::unique_file> handle;
    DWORD error = 0;
};

} // namespace

void ImageList::directoryThread() noexcept {
    Win32::runThreadBody(
        "ImageList::directoryThread()",
        [this] {
            const Win32::unique_event completion = Win32::createEvent();
            try {
                followFolder(completion.get());
            } catch (const WatcherQuit&) {
                Win32::debugOutput(L"ImageList::directoryThread: left a folder call behind\n");
            }
        },
        [this](std::exception_ptr) { eventLog_.report(Event_UnexpectedType); });
}

// The watcher lists its folder, then watches it through change notifications,
// or lists it periodically where changes cannot be read, and waits for it
// while it is gone. Every opening lists the folder anew, so what changed
// while it was not watched is followed too. Each outage and each loss of
// change notifications is reported once.
void ImageList::followFolder(HANDLE completion) {
    Watched watched;
    {
        const std::lock_guard lock(mutex_);
        watched.folder = state_.folder();
    }
    if (watched.folder.empty()) {
        while (wake(nullptr, std::chrono::milliseconds(INFINITE)) != Wake::Quit) {
        }
        return;
    }
    // Without a place for its copy a share is followed as a local folder.
    try {
        if (isShareFolder(watched.folder))
            watched.copy = pictureCopyFolder(watched.folder);
    } catch (const std::system_error& e) {
        eventLog_.reportException("Korva::QELD::pictureCopyFolder", e);
    }
    // A folder missing at start is reported by its first listing.
    bool outageReported = true;
    bool first = true;
    bool unwatchedReported = false;
    for (;;) {
        const Opened opened = call([folder = watched.folder] {
            auto handle = std::make_shared<Win32::unique_file>(openFolderForWatching(folder));
            return Opened{handle, *handle ? 0 : ::GetLastError()};
        });
        if (opened.error == 0) {
            first = false;
            outageReported = false;
            watched.handle = opened.handle;
            DWORD lostBy = 0;
            WatchEnd end = watch(watched, completion, lostBy, unwatchedReported);
            if (end == WatchEnd::Unwatched)
                end = pause(watched, lostBy);
            // A folder lost while watched is opened again after the retry
            // period: a folder replaced by another is followed on, and one
            // that is really gone is reported by the opening that fails.
            if (end == WatchEnd::Lost) {
                leave(watched, lostBy);
                if (wake(nullptr, folderRetryInterval) == Wake::Quit)
                    return;
            }
            continue;
        }
        if (std::exchange(first, false))
            listFirst(watched);
        lose(watched.folder, watched.copy, opened.error, outageReported);
        if (wake(nullptr, folderRetryInterval) == Wake::Quit)
            return;
    }
}

// The pictures of a share whose server cannot be reached are shown from the
// copy; those of a folder gone or replaced go.
void ImageList::leave(const Watched& watched, DWORD lostBy) {
    folderAvailable_ = false;
    if (!watched.copy.empty() && !isFolderGone(lostBy))
        showCopy(watched.folder, watched.copy, lostBy);
    else
        dropPictures();
}

// Notifications are read while the folder is listed again at least every
// folderRelistInterval, as a server may accept them and never send one.
ImageList::WatchEnd ImageList::watch(const Watched& watched, HANDLE completion, DWORD& lostBy,
                                     bool& unwatchedReported) {
    using Clock = std::chrono::steady_clock;
    bool listed = false;
    for (;;) {
        const HANDLE handle = watched.handle->get();
        NotificationRead read(handle, completion);
        const bool started = read.start();
        const DWORD startError = ::GetLastError();
        // The first read is armed before the folder is listed, so that a
        // change made during the listing is reported rather than lost.
        if (!listed) {
            if ((lostBy = rescan(watched.folder, watched.copy)) != 0)
                return WatchEnd::Lost;
            listed = true;
        }
        if (!started)
            return unwatched(watched, startError, lostBy, unwatchedReported);
        const auto relist = Clock::now() + folderRelistInterval;
        Wake woken;
        while ((woken = wake(completion, folderCheckInterval)) == Wake::Check) {
            if ((lostBy = check(watched)) != 0)
                return WatchEnd::Lost;
            if (Clock::now() >= relist)
                break;
        }
        if (woken == Wake::Quit)
            throw WatcherQuit{};
        DWORD bytes = 0;
        const DWORD error = woken == Wake::Completion ? read.finish(bytes) : ERROR_NOTIFY_ENUM_DIR;
        if (error != 0 && error != ERROR_NOTIFY_ENUM_DIR)
            return unwatched(watched, error, lostBy, unwatchedReported);
        if (error == 0)
            unwatchedReported = false;
        // A completion too short to hold a record is how the system says
        // that it lost changes (its own buffer overflowed), or that the
        // folder itself went: the folder is listed again once the next read
        // is armed, as it is when the relist period passed.
        if (error == 0 && bytes >= minimumNotificationSize) {
            takeCompletion(read.buffer(), bytes);
        } else {
            if ((lostBy = check(watched)) != 0)
                return WatchEnd::Lost;
            listed = false;
        }
    }
}

// A read that fails on a folder that is still there means that its changes
// cannot be read, as on a share without change notifications.
ImageList::WatchEnd ImageList::unwatched(const Watched& watched, DWORD error, DWORD& lostBy,
                                         bool& unwatchedReported) {
    if ((lostBy = check(watched)) != 0)
        return WatchEnd::Lost;
    if (!std::exchange(unwatchedReported, true))
        eventLog_.reportFolderFailure(Event_FolderNotWatched, watched.folder, error);
    return WatchEnd::Unwatched;
}

// Waits out folderRelistInterval before the folder is listed and watched
// again, checking meanwhile at every tick that it is still there.
ImageList::WatchEnd ImageList::pause(const Watched& watched, DWORD& lostBy) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + folderRelistInterval;
    for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        if (wake(nullptr, left) == Wake::Quit)
            throw WatcherQuit{};
        if ((lostBy = check(watched)) != 0)
            return WatchEnd::Lost;
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

DWORD ImageList::check(const Watched& watched) {
    return call([folder = watched.folder, handle = watched.handle] {
        return checkOpenFolder(folder, handle->get());
    });
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
