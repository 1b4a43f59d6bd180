#include "slideshow/image_list.h"

#include "common/error_categories.h"
#include "slideshow/image_list_directory.h"

#include <objbase.h>

#include <utility>

namespace Korva::QELD {

ImageList::ComInitialization::ComInitialization() {
    const HRESULT result = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE |
                                                         COINIT_SPEED_OVER_MEMORY);
    if (FAILED(result))
        Win32::throwHResult(result, "CoInitializeEx");
}

ImageList::ComInitialization::~ComInitialization() {
    ::CoUninitialize();
}

ImageList::ImageList(const DeviceConfig& config, EventLog& eventLog, PreparedImages& images,
                     ImageRenderer render)
    : quitEvent_(Win32::createEvent()), changeEvent_(Win32::createEvent()),
      checkEvent_(Win32::createEvent()), eventLog_(eventLog),
      state_(config, images, std::move(render)) {
    {
        const std::lock_guard lock(mutex_);
        readDirectory();
        state_.restart();
    }
    watcher_ = std::thread([this] { directoryThread(); });
}

ImageList::~ImageList() {
    ::SetEvent(quitEvent_.get());
    if (watcher_.joinable())
        watcher_.join();
}

// An empty folder means that none is configured; searching it would list the
// process's working folder instead.
void ImageList::readDirectory() {
    if (state_.folder().empty())
        return;
    std::vector<std::u16string> names;
    if (const DWORD error = listFolder(state_.folder(), names); error != 0) {
        folderAvailable_ = false;
        eventLog_.reportApiFailure("Korva::QELD::ImageList::readDirectory", "FindFirstFile", error);
        return;
    }
    state_.appendListing(names);
}

std::vector<std::uint8_t> ImageList::getImage(const ScreenFormat& format, std::u16string& path) {
    const std::lock_guard lock(mutex_);
    ImageEntry* const current = state_.current();
    path = current ? current->path() : std::u16string();
    return current ? current->getImage(format) : std::vector<std::uint8_t>();
}

// Every tick also asks the watcher to check that its folder is still there.
// A failure to ask is not reported: the watcher checks on its own at
// folderCheckInterval.
bool ImageList::advance() {
    const std::lock_guard lock(mutex_);
    ::SetEvent(checkEvent_.get());
    return state_.advance();
}

bool ImageList::matches(const DeviceConfig& config) {
    const std::lock_guard lock(mutex_);
    return state_.matches(config);
}

void ImageList::resetChangeEvent() {
    const std::lock_guard lock(mutex_);
    if (!::ResetEvent(changeEvent_.get()))
        Win32::throwLastError("ResetEvent");
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
    return {{},
            state_.folder(),
            state_.entries().size(),
            current ? current->path() : u"",
            folderAvailable_};
}

void ImageList::setChangeEvent() {
    if (!::SetEvent(changeEvent_.get()))
        Win32::throwLastError("SetEvent");
}

} // namespace Korva::QELD
