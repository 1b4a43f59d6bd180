#pragma once

#include "slideshow/image_parameters.h"
#include "slideshow/layout_settings.h"
#include "slideshow/render_image.h"
#include "slideshow/screen_format.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace Korva::QELD {

using ImageRenderer =
    std::function<std::vector<std::uint8_t>(const std::u16string&, const ImageParameters&)>;

// One picture of a picture list with the images prepared from it, one per
// screen format and layout it was asked for. Not thread-safe: the owning
// list's mutex guards it.
class ImageEntry {
public:
    // The renderer is renderImage in the service; tests give their own.
    ImageEntry(std::u16string path, LayoutSettings layout, ImageRenderer render = renderImage);

    const std::u16string& path() const noexcept { return path_; }
    const LayoutSettings& layout() const noexcept { return layout_; }

    // The prepared bytes for the screen, rendered on first request and kept
    // until the entry goes away or the cache is cleared. A render failure
    // passes through and leaves the cache as it was.
    const std::vector<std::uint8_t>& getImage(const ScreenFormat& format);

    // Forgets every prepared image, so that the next request reads the file
    // again (after the file changed).
    void clearCache() noexcept { cache_.clear(); }

private:
    std::u16string path_;
    LayoutSettings layout_;
    ImageRenderer render_;
    std::map<ImageParameters, std::vector<std::uint8_t>> cache_;
};

} // namespace Korva::QELD
