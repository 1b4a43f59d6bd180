#include "slideshow/image_list_call.h"

#include "common/debug_output.h"
#include "slideshow/core/copy_plan.h"
#include "slideshow/image_list_directory.h"
#include "slideshow/picture_copy.h"

#include <system_error>
#include <utility>

namespace Korva::QELD {
namespace {

struct Listing {
    DWORD error = 0;
    std::vector<FolderItem> items;
};

} // namespace

// A folder that cannot be opened at start is listed all the same, and a
// listing that fails is reported as such, unless the folder is a share whose
// server cannot be reached, which is reported as that.
void ImageList::listFirst(const Watched& watched) {
    const DWORD error = rescan(watched.folder, watched.copy);
    if (error != 0 && (watched.copy.empty() || isFolderGone(error)))
        eventLog_.reportApiFailure("Korva::QELD::ImageList::readDirectory", "FindFirstFile", error);
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
    folderAvailable_ = listing.error == 0;
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
    // A copy that cannot be made (its folder cannot be created or written)
    // leaves the share shown without one; the failure is reported once.
    CopyContents contents;
    try {
        contents = call([folder, copy, pictures] {
            return bringCopyInStep(folder, copy, pictures, pictureCopyBound);
        });
        copyFailed_ = false;
    } catch (const std::system_error& e) {
        if (!std::exchange(copyFailed_, true))
            eventLog_.reportException("Korva::QELD::ImageList::keepCopy", e);
    }
    const std::lock_guard lock(mutex_);
    state_.readFrom(copy, contents.pictures);
    copyBytes_ = contents.bytes;
}

// A folder that is gone loses its pictures, as a deleted folder always has;
// a share whose server cannot be reached shows its local copy instead.
void ImageList::lose(const std::u16string& folder, const std::u16string& copy, DWORD error,
                     bool& outageReported) {
    folderAvailable_ = false;
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

} // namespace Korva::QELD
