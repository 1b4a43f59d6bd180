#pragma once

#include "common/core/noncopyable.h"
#include "slideshow/core/image_parameters.h"
#include "slideshow/core/layout_settings.h"
#include "slideshow/core/prepared_images.h"
#include "slideshow/core/render_image.h"
#include "slideshow/core/screen_format.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Korva::QELD {

using ImageRenderer =
    std::function<std::vector<std::uint8_t>(const std::u16string&, const ImageParameters&)>;

// One picture of a picture list. Its prepared images, one per screen format
// and layout it was asked for, live in the process's bounded cache. Not
// thread-safe: the owning list's mutex guards it.
class ImageEntry : noncopyable {
public:
    // The renderer is renderImage in the service; tests give their own.
    ImageEntry(std::u16string path, LayoutSettings layout, PreparedImages& images,
               ImageRenderer render = renderImage);
    ~ImageEntry();

    const std::u16string& path() const noexcept { return path_; }
    const LayoutSettings& layout() const noexcept { return layout_; }

    // The prepared bytes for the screen, rendered when the cache does not
    // hold them (first request, or dropped since to stay within its limit).
    // A render failure passes through and leaves the cache as it was.
    std::vector<std::uint8_t> getImage(const ScreenFormat& format);

    // Forgets every prepared image, so that the next request reads the file
    // again (after the file changed).
    void clearCache() { images_.forget(picture_); }

private:
    std::u16string path_;
    LayoutSettings layout_;
    PreparedImages& images_;
    std::uint64_t picture_;
    ImageRenderer render_;
};

} // namespace Korva::QELD
