#pragma once

#include "slideshow/picture/core/bitmap.h"

#include <cstdint>

namespace Korva::QELD {

// A decoded picture that hands out its pixels a rectangle at a time, so that
// a large picture can be read in bands.
class PictureSource {
public:
    virtual ~PictureSource() = default;

    // The size as stored, before any orientation is applied.
    virtual Size size() = 0;

    // Copies the rectangle as BGRA rows of rect.width pixels without padding.
    virtual void copyPixels(const Rect& rect, std::uint8_t* out) = 0;
};

} // namespace Korva::QELD
