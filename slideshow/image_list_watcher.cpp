#include "slideshow/image_list.h"

#include "common/debug_output.h"
#include "common/thread_body.h"
#include "slideshow/core/copy_plan.h"
#include "slideshow/core/image_list_changes.h"
#include "slideshow/folder_call.h"
#include "slideshow/image_list_directory.h"
#include "slideshow/picture_copy.h"

#include <utility>

namespace Korva::QELD {
namespace {

const char* const watcherName = "Korva::QELD::ImageList::directoryThread";
// The fixed number a failed wait's event-log report carries to say which
// wait it was: the watcher's one wait, for a notification, a tick or quit.
constexpr int notificationWaitSite = 305;
// How long a cancelled notification read may take to end.
constexpr DWORD cancelWait = 2000;

// Ends the watcher when its list goes while a folder call is under way.
struct WatcherQuit {};

// One notification read on a folder into a block of its own. The system
// writes into the block until the read ends, so a read still pending when it
// goes out of scope is cancelled and waited for; a read that does not end
// even then leaves its block to the system rather than wait for it.
class NotificationRead : noncopyable {
public:
    NotificationRead(HANDLE folder, HANDLE completion)
        : folder_(folder), block_(std::make_unique<Block>()) {
        block_->overlapped.hEvent = completion;
    }
    ~NotificationRead() {
        if (!pending_ || !::CancelIo(folder_))
            return;
        if (::WaitForSingleObject(block_->overlapped.hEvent, cancelWait) != WAIT_OBJECT_0)
            static_cast<void>(block_.release());
    }

    bool start() {
        pending_ =
            ::ReadDirectoryChangesW(folder_, block_->buffer.data(), notificationBufferSize, FALSE,
                                    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE |
                                        FILE_NOTIFY_CHANGE_LAST_WRITE,
                                    nullptr, &block_->overlapped, nullptr) != FALSE;
        return pending_;
    }

    // The error of the ended read, 0 when it succeeded. Called once the
    // completion event is set, so the result is there.
    DWORD finish(DWORD& bytes) {
        pending_ = false;
        return ::GetOverlappedResult(folder_, &block_->overlapped, &bytes, FALSE)
                   ? 0
                   : ::GetLastError();
    }

    const std::vector<std::uint8_t>& buffer() const noexcept { return block_->buffer; }

private:
    struct Block {
        OVERLAPPED overlapped{};
        std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(notificationBufferSize);
    };

    HANDLE folder_;
    std::unique_ptr<Block> block_;
    bool pending_ = false;
};

// A folder opened for watching, or the error by which it could not be.
struct Opened {
    std::shared_ptr<Win32::unique_file> handle;
    DWORD error = 0;
};

struct Listing {
    DWORD error = 0;
    std::vector<FolderItem> items;
};

} // namespace

// The folder the watcher follows, its open handle (shared with the calls
// that check it, which may outlive the watcher) and its local copy's folder
// (empty where the folder is not on a share).
struct ImageList::Watched {
    std::u16string folder;
    std::u16string copy;
    SharedFolder handle;
};

template <class Body> auto ImageList::call(Body body) {
    auto result = callLeavable(quitEvent_.get(), std::move(body));
    if (!result)
        throw WatcherQuit{};
    return std::move(*result);
}

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
    if (isShareFolder(watched.folder))
        watched.copy = pictureCopyFolder(watched.folder);
    // A folder missing at start is reported by its first listing.
    bool outageReported = true;
    bool first = true;
    bool unwatchedReported = false;
    for (;;) {
        const Opened opened = call([folder = watched.folder] {
            auto handle = std::make_shared<Win32::unique_file>(openFolderForWatching(folder));
            return Opened{handle, *handle ? 0 : ::GetLastError()};
        });
        DWORD lostBy = opened.error;
        if (opened.error == 0) {
            first = false;
            outageReported = false;
            watched.handle = opened.handle;
            WatchEnd end = watch(watched, completion, lostBy, unwatchedReported);
            if (end == WatchEnd::Unwatched)
                end = pause(watched, lostBy);
            if (end == WatchEnd::Unwatched)
                continue;
        } else if (std::exchange(first, false)) {
            listFirst(watched);
        }
        lose(watched.folder, watched.copy, lostBy, outageReported);
        if (wake(nullptr, folderRetryInterval) == Wake::Quit)
            return;
    }
}

// A folder that cannot be opened at start is listed all the same, and a
// listing that fails is reported as such, unless the folder is a share whose
// server cannot be reached, which is reported as that.
void ImageList::listFirst(const Watched& watched) {
    const DWORD error = rescan(watched.folder, watched.copy);
    if (error != 0 && (watched.copy.empty() || isFolderGone(error)))
        eventLog_.reportApiFailure("Korva::QELD::ImageList::readDirectory", "FindFirstFile", error);
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

// Lists the folder and brings the list, and the local copy of a share's
// pictures, in step with it. A folder that cannot be listed leaves the list
// as it is; the error is returned.
DWORD ImageList::rescan(const std::u16string& folder, const std::u16string& copy) {
    Win32::debugOutput(L"ImageList::directoryThread: listing the folder\n");
    Listing listing = call([folder] {
        Listing listed;
        listed.error = listFolder(folder, listed.items);
        return listed;
    });
    if (listing.error != 0)
        return listing.error;
    {
        const std::lock_guard lock(mutex_);
        if (state_.reconcile(listing.items))
            setChangeEvent();
    }
    if (!copy.empty())
        keepCopy(folder, copy);
    return 0;
}

// The copy follows each listing of the share; the share is shown again from
// its first good listing after an outage.
void ImageList::keepCopy(const std::u16string& folder, const std::u16string& copy) {
    std::vector<FolderItem> pictures;
    bool back = false;
    {
        const std::lock_guard lock(mutex_);
        pictures = state_.pictures();
        back = std::exchange(showsCopy_, false);
        if (back)
            sourceSince_ = std::chrono::system_clock::now();
    }
    if (back)
        eventLog_.reportFolderFailure(Event_ShareBack, folder, 0);
    const CopyContents contents = call([folder, copy, pictures] {
        return bringCopyInStep(folder, copy, pictures, pictureCopyBound);
    });
    const std::lock_guard lock(mutex_);
    state_.readFrom(copy, contents.pictures);
    copyBytes_ = contents.bytes;
}

// A folder that is gone loses its pictures, as a deleted folder always has;
// a share whose server cannot be reached shows its local copy instead.
void ImageList::lose(const std::u16string& folder, const std::u16string& copy, DWORD error,
                     bool& outageReported) {
    if (!copy.empty() && !isFolderGone(error)) {
        showCopy(folder, copy, error);
        return;
    }
    if (!std::exchange(outageReported, true))
        eventLog_.reportFolderFailure(Event_FolderUnavailable, folder, error);
    dropPictures();
}

// Reported once an outage; the list keeps the pictures that the copy holds,
// in their order, with their prepared images.
void ImageList::showCopy(const std::u16string& folder, const std::u16string& copy, DWORD error) {
    {
        const std::lock_guard lock(mutex_);
        if (showsCopy_)
            return;
    }
    eventLog_.reportFolderFailure(Event_ShareUnreachable, folder, error);
    const CopyContents contents = call([copy] { return readCopy(copy); });
    const std::lock_guard lock(mutex_);
    showsCopy_ = true;
    sourceSince_ = std::chrono::system_clock::now();
    copyBytes_ = contents.bytes;
    if (state_.reconcile(contents.pictures))
        setChangeEvent();
    state_.readFrom(copy, contents.pictures);
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
