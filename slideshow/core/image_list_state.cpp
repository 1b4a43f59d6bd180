#include "slideshow/core/image_list_state.h"

#include "slideshow/core/image_list_names.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace Korva::QELD {

ImageListState::ImageListState(const DeviceConfig& config, PreparedImages& images,
                               ImageRenderer render)
    : folder_(config.folder), layout_(layoutSettingsOf(config)), images_(images),
      render_(std::move(render)) {}

bool ImageListState::matches(const DeviceConfig& config) const {
    return folder_ == config.folder && layout_ == layoutSettingsOf(config);
}

void ImageListState::restart() {
    current_ = entries_.begin();
    fresh_ = true;
}

bool ImageListState::advance() {
    if (fresh_)
        fresh_ = false;
    else if (current_ != entries_.end())
        ++current_;
    if (current_ == entries_.end())
        current_ = entries_.begin();
    return current_ != entries_.end();
}

ImageEntry* ImageListState::current() noexcept {
    return current_ == entries_.end() ? nullptr : &*current_;
}

bool ImageListState::applyChanges(const std::vector<FileChange>& changes) {
    bool firstPicture = false;
    for (const auto& change : changes)
        firstPicture = apply(change) || firstPicture;
    return firstPicture;
}

// A rename is a removal of the old name and an addition of the new one, so
// that a renamed picture is shown under the name it has now.
bool ImageListState::apply(const FileChange& change) {
    auto path = entryPath(folder_, change.name);
    switch (change.action) {
    case FileAction_Added:
    case FileAction_RenamedNew:
        return add(std::move(path));
    case FileAction_Removed:
    case FileAction_RenamedOld:
        remove(path);
        return false;
    case FileAction_Modified:
        modify(path);
        return false;
    default:
        return false;
    }
}

bool ImageListState::reconcile(const std::vector<FolderItem>& items) {
    std::unordered_map<std::u16string, FileStamp> present;
    std::vector<std::u16string> listed;
    for (const auto& item : items) {
        if (!isPictureFile(item.name))
            continue;
        auto path = entryPath(folder_, item.name);
        if (present.emplace(path, item.stamp).second)
            listed.push_back(std::move(path));
    }
    std::vector<std::u16string> vanished;
    for (auto& entry : entries_) {
        if (const auto found = present.find(entry.path()); found != present.end())
            entry.restamp(found->second);
        else
            vanished.push_back(entry.path());
    }
    for (const auto& path : vanished)
        remove(path);

    std::unordered_set<std::u16string> known;
    for (const auto& entry : entries_)
        known.insert(entry.path());
    const bool wasEmpty = entries_.empty();
    for (auto& path : listed) {
        if (known.insert(path).second) {
            const FileStamp stamp = present.at(path);
            entries_.emplace_back(std::move(path), layout_, images_, render_, stamp);
        }
    }
    return startedWith(wasEmpty);
}

std::vector<FolderItem> ImageListState::pictures() const {
    std::vector<FolderItem> result;
    for (const auto& entry : entries_)
        result.push_back({entry.path().substr(folder_.size()), entry.stamp()});
    return result;
}

void ImageListState::readFrom(const std::u16string& copyFolder,
                              const std::vector<FolderItem>& copied) {
    std::unordered_set<std::u16string> inCopy;
    for (const auto& item : copied)
        inCopy.insert(item.name);
    for (auto& entry : entries_) {
        const auto name = entry.path().substr(folder_.size());
        entry.readFrom(inCopy.contains(name) ? entryPath(copyFolder, name) : entry.path());
    }
}

void ImageListState::store(const PreparedImageJob& job, const std::vector<std::uint8_t>& bytes) {
    const bool current =
        std::any_of(entries_.begin(), entries_.end(),
                    [&](const ImageEntry& entry) { return entry.picture() == job.picture; });
    if (current)
        images_.insert(job.picture, job.key, bytes);
}

// A list that was empty starts afresh at its first picture, which the
// caller's announcement shows for a whole tick.
bool ImageListState::startedWith(bool wasEmpty) {
    if (!wasEmpty || entries_.empty())
        return false;
    restart();
    return true;
}

ImageListState::Position ImageListState::find(const std::u16string& path) {
    return std::find_if(entries_.begin(), entries_.end(),
                        [&](const ImageEntry& entry) { return entry.path() == path; });
}

// A name that is already listed (a file replaced by a rename, or reported
// again after a rescan) is not added twice; its file may have new contents,
// so its prepared images go.
bool ImageListState::add(std::u16string path) {
    if (!isPictureFile(path))
        return false;
    if (const auto existing = find(path); existing != entries_.end()) {
        existing->clearCache();
        return false;
    }
    const bool wasEmpty = entries_.empty();
    entries_.emplace_back(std::move(path), layout_, images_, render_);
    return startedWith(wasEmpty);
}

// Removing the current picture makes the following one current (the first
// after the last) and fresh, so it is shown at the next tick, not skipped.
void ImageListState::remove(const std::u16string& path) {
    const auto found = find(path);
    if (found == entries_.end())
        return;
    const bool wasCurrent = found == current_;
    const auto next = entries_.erase(found);
    if (wasCurrent) {
        fresh_ = true;
        current_ = next != entries_.end() ? next : entries_.begin();
    }
}

// A file written to (overwritten in place, or still being copied when it was
// added) must be rendered again from what it holds now.
void ImageListState::modify(const std::u16string& path) {
    if (const auto found = find(path); found != entries_.end())
        found->clearCache();
}

} // namespace Korva::QELD
