#include "slideshow/picture/core/canvas.h"

#include <cstring>

namespace Korva::QELD {
namespace {

std::uint8_t blend(unsigned value, unsigned background, unsigned alpha) {
    return static_cast<std::uint8_t>((value * alpha + background * (255 - alpha) + 127) / 255);
}

} // namespace

void fillBitmap(Bitmap& bitmap, Colour colour) {
    const std::uint8_t pixel[bytesPerPixel] = {colour.blue, colour.green, colour.red, 255};
    for (std::size_t i = 0; i < bitmap.pixels.size(); i += bytesPerPixel)
        std::memcpy(bitmap.pixels.data() + i, pixel, bytesPerPixel);
}

void placeBitmap(Bitmap& canvas, const Bitmap& picture, std::uint32_t x, std::uint32_t y) {
    for (std::uint32_t row = 0; row < picture.size.height; ++row)
        std::memcpy(canvas.row(y + row) + std::size_t{x} * bytesPerPixel, picture.row(row),
                    picture.stride());
}

void compositeOver(std::uint8_t* pixels, std::size_t count, Colour background) {
    for (std::size_t i = 0; i < count; ++i, pixels += bytesPerPixel) {
        const unsigned alpha = pixels[3];
        if (alpha == 255)
            continue;
        pixels[0] = blend(pixels[0], background.blue, alpha);
        pixels[1] = blend(pixels[1], background.green, alpha);
        pixels[2] = blend(pixels[2], background.red, alpha);
        pixels[3] = 255;
    }
}

} // namespace Korva::QELD
