#pragma once

#include "slideshow/picture/core/layout_settings.h"
#include "slideshow/picture/core/screen_format.h"

#include <compare>
#include <cstdint>

namespace Korva::QELD {

// Every input that changes the prepared bytes of a picture: the key of a
// picture entry's cache.
struct ImageParameters {
    std::uint8_t encodingMode = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::int32_t border = 0;
    std::int32_t scale = 1;
    std::uint8_t clip = 0x11;
    std::uint8_t borderAuto = 1;

    auto operator<=>(const ImageParameters&) const = default;
};

inline ImageParameters imageParametersOf(const ScreenFormat& format, const LayoutSettings& layout) {
    return {format.encodingMode,
            format.width,
            format.height,
            layout.border,
            layout.scale,
            layout.clip,
            static_cast<std::uint8_t>(layout.borderAuto ? 1 : 0)};
}

} // namespace Korva::QELD
