#pragma once

#include "common/core/noncopyable.h"
#include "settings/core/device_config.h"
#include "slideshow/core/folder_item.h"
#include "slideshow/core/image_entry.h"
#include "slideshow/core/image_list_changes.h"
#include "slideshow/picture/core/layout_settings.h"

#include <list>
#include <string>
#include <vector>

namespace Korva::QELD {

// What a picture list guards with its mutex: its folder and layout, the
// pictures in the order they were found or added, the current picture and
// the mark that keeps a fresh current picture through one more tick. Not
// thread-safe.
class ImageListState : noncopyable {
public:
    ImageListState(const DeviceConfig& config, PreparedImages& images, ImageRenderer render);

    const std::u16string& folder() const noexcept { return folder_; }
    const LayoutSettings& layout() const noexcept { return layout_; }
    const std::list<ImageEntry>& entries() const noexcept { return entries_; }
    bool fresh() const noexcept { return fresh_; }

    // Same folder (UTF-16 units, no case folding) and same layout.
    bool matches(const DeviceConfig& config) const;

    // Makes the first picture current and fresh.
    void restart();

    // The slideshow step; true when there is a current picture afterwards.
    bool advance();

    // The current picture, or null when the list is empty.
    ImageEntry* current() noexcept;

    // Follows a batch of folder notifications. Each returns true when the
    // list was empty and now has a picture, which the caller announces.
    bool applyChanges(const std::vector<FileChange>& changes);

    // Brings the list in line with a new listing of the folder: entries of
    // files still there keep their place, and their prepared images while
    // their size and time stay the same; the vanished are dropped, the new
    // are appended.
    bool reconcile(const std::vector<FolderItem>& items);

    // The pictures in list order, named relative to the folder.
    std::vector<FolderItem> pictures() const;

    // Reads the pictures of these names (relative to the folder) from the
    // copy's folder, and every other from the list's folder.
    void readFrom(const std::u16string& copyFolder, const std::vector<FolderItem>& copied);

    // Keeps a prepared image rendered without the lock, unless its entry
    // went or its file changed meanwhile.
    void store(const PreparedImageJob& job, const std::vector<std::uint8_t>& bytes);

private:
    using Position = std::list<ImageEntry>::iterator;

    Position find(const std::u16string& path);
    bool startedWith(bool wasEmpty);
    bool add(std::u16string path);
    void remove(const std::u16string& path);
    void modify(const std::u16string& path);
    bool apply(const FileChange& change);

    std::u16string folder_;
    LayoutSettings layout_;
    PreparedImages& images_;
    ImageRenderer render_;
    std::list<ImageEntry> entries_;
    Position current_ = entries_.end();
    bool fresh_ = true;
};

} // namespace Korva::QELD
