#pragma once

#include "slideshow/picture/core/bitmap.h"

#include <cstdint>

namespace Korva::QELD {

// The EXIF orientation codes 1 to 8: how the stored pixels must be turned to
// show the picture upright. 1 is as stored; 5 to 8 swap width and height.
using Orientation = std::uint16_t;

inline constexpr Orientation orientationNormal = 1;

inline bool swapsAxes(Orientation o) {
    return o >= 5 && o <= 8;
}

Size orientedSize(Size stored, Orientation o);

// The rectangle of the stored picture that shows as the given rectangle of
// the upright picture.
Rect storedRect(Size stored, Orientation o, Rect upright);

// The stored pixels turned upright.
Bitmap orientBitmap(const Bitmap& stored, Orientation o);

} // namespace Korva::QELD
