#include "slideshow/core/image_entry.h"

#include <utility>

namespace Korva::QELD {

ImageEntry::ImageEntry(std::u16string path, LayoutSettings layout, PreparedImages& images,
                       ImageRenderer render, FileStamp stamp)
    : path_(std::move(path)), source_(path_), layout_(layout), images_(images),
      picture_(images.newPicture()), render_(std::move(render)), stamp_(stamp) {}

ImageEntry::~ImageEntry() {
    images_.forget(picture_);
}

std::vector<std::uint8_t> ImageEntry::getImage(const ScreenFormat& format) {
    if (auto held = cached(format))
        return std::move(*held);
    // Render before inserting, so that a failure leaves no entry behind.
    const PreparedImageJob prepared = job(format);
    std::vector<std::uint8_t> bytes = prepared.render(prepared.source, prepared.key);
    images_.insert(picture_, prepared.key, bytes);
    return bytes;
}

std::optional<std::vector<std::uint8_t>> ImageEntry::cached(const ScreenFormat& format) {
    return images_.find(picture_, imageParametersOf(format, layout_));
}

PreparedImageJob ImageEntry::job(const ScreenFormat& format) const {
    return {source_, imageParametersOf(format, layout_), picture_, render_};
}

void ImageEntry::clearCache() {
    images_.forget(picture_);
    picture_ = images_.newPicture();
    source_ = path_;
}

void ImageEntry::restamp(const FileStamp& stamp) {
    if (stamp == stamp_)
        return;
    stamp_ = stamp;
    clearCache();
}

} // namespace Korva::QELD
