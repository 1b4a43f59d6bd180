#include "slideshow/image_list.h"

#include "common/error_categories.h"
#include "slideshow/core/copy_plan.h"

#include <objbase.h>

#include <utility>

namespace Korva::QELD {

ImageList::ImageList(const DeviceConfig& config, EventLog& eventLog, PreparedImages& images,
                     ImageRenderer render)
    : com_(COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY),
      quitEvent_(Win32::createEvent()), changeEvent_(Win32::createEvent()),
      checkEvent_(Win32::createEvent()), eventLog_(eventLog),
      state_(config, images, std::move(render)), sourceSince_(std::chrono::system_clock::now()) {
    watcher_ = std::thread([this] { directoryThread(); });
}

ImageList::~ImageList() {
    ::SetEvent(quitEvent_.get());
    if (watcher_.joinable())
        watcher_.join();
}

// The worker reads and decodes the file without the list's lock, so that a
// slow file server holds up only the tablets that show its pictures.
std::vector<std::uint8_t> ImageList::getImage(const ScreenFormat& format, std::u16string& path) {
    PreparedImageJob job;
    {
        const std::lock_guard lock(mutex_);
        ImageEntry* const current = state_.current();
        path = current ? current->path() : std::u16string();
        if (!current)
            return {};
        if (auto held = current->cached(format))
            return std::move(*held);
        job = current->job(format);
    }
    std::vector<std::uint8_t> bytes = job.render(job.source, job.key);
    const std::lock_guard lock(mutex_);
    state_.store(job, bytes);
    return bytes;
}

// Every tick also asks the watcher to check that its folder is still there.
// A failure to ask is not reported: the watcher checks on its own at
// folderCheckInterval. The step serves a pending announcement of a first
// picture too, which must not step the list once more.
bool ImageList::advance() {
    const std::lock_guard lock(mutex_);
    ::SetEvent(checkEvent_.get());
    ::ResetEvent(changeEvent_.get());
    return state_.advance();
}

void ImageList::resetChangeEvent() {
    const std::lock_guard lock(mutex_);
    ::ResetEvent(changeEvent_.get());
}

bool ImageList::matches(const DeviceConfig& config) {
    const std::lock_guard lock(mutex_);
    return state_.matches(config);
}

std::vector<std::u16string> ImageList::paths() {
    const std::lock_guard lock(mutex_);
    std::vector<std::u16string> result;
    for (const auto& entry : state_.entries())
        result.push_back(entry.path());
    return result;
}

std::u16string ImageList::currentPath() {
    const std::lock_guard lock(mutex_);
    const ImageEntry* const current = state_.current();
    return current ? current->path() : std::u16string();
}

PictureListStatus ImageList::summary() {
    const std::lock_guard lock(mutex_);
    const ImageEntry* const current = state_.current();
    PictureListStatus status{{},
                             state_.folder(),
                             state_.entries().size(),
                             current ? current->path() : u"",
                             folderAvailable_,
                             {}};
    if (isShareFolder(state_.folder()))
        status.copy = PictureCopyStatus{showsCopy_, sourceSince_, copyBytes_, pictureCopyBound};
    return status;
}

void ImageList::setChangeEvent() {
    if (!::SetEvent(changeEvent_.get()))
        Win32::throwLastError("SetEvent");
}

} // namespace Korva::QELD
