#include "slideshow/core/image_entry.h"

#include <utility>

namespace Korva::QELD {

ImageEntry::ImageEntry(std::u16string path, LayoutSettings layout, PreparedImages& images,
                       ImageRenderer render)
    : path_(std::move(path)), layout_(layout), images_(images), picture_(images.newPicture()),
      render_(std::move(render)) {}

ImageEntry::~ImageEntry() {
    images_.forget(picture_);
}

std::vector<std::uint8_t> ImageEntry::getImage(const ScreenFormat& format) {
    const ImageParameters key = imageParametersOf(format, layout_);
    if (auto held = images_.find(picture_, key))
        return std::move(*held);
    // Render before inserting, so that a failure leaves no entry behind.
    std::vector<std::uint8_t> bytes = render_(path_, key);
    images_.insert(picture_, key, bytes);
    return bytes;
}

} // namespace Korva::QELD
