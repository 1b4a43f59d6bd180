#pragma once

#include "slideshow/picture/core/bitmap.h"

#include <cstdint>

namespace Korva::QELD {

struct Colour {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
};

inline constexpr Colour black{0, 0, 0};
inline constexpr Colour white{255, 255, 255};

// Sets every pixel of the bitmap to the opaque colour.
void fillBitmap(Bitmap& bitmap, Colour colour);

// Copies the picture onto the canvas with its top left corner at (x, y); the
// picture lies wholly inside the canvas.
void placeBitmap(Bitmap& canvas, const Bitmap& picture, std::uint32_t x, std::uint32_t y);

// Blends `count` BGRA pixels over an opaque background, leaving them opaque.
void compositeOver(std::uint8_t* pixels, std::size_t count, Colour background);

} // namespace Korva::QELD
