#include "slideshow/image_entry.h"

#include <utility>

namespace Korva::QELD {

ImageEntry::ImageEntry(std::u16string path, LayoutSettings layout, ImageRenderer render)
    : path_(std::move(path)), layout_(layout), render_(std::move(render)) {}

const std::vector<std::uint8_t>& ImageEntry::getImage(const ScreenFormat& format) {
    const ImageParameters key = imageParametersOf(format, layout_);
    if (const auto found = cache_.find(key); found != cache_.end())
        return found->second;
    // Render before inserting, so that a failure leaves no entry behind.
    std::vector<std::uint8_t> bytes = render_(path_, key);
    return cache_.emplace(key, std::move(bytes)).first->second;
}

} // namespace Korva::QELD
