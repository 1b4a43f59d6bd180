#pragma once

#include "slideshow/picture/core/picture_source.h"

#include <cstring>

namespace Korva::QELD {

// A decoded picture held in memory; counts the rectangles read from it.
class MemorySource : public PictureSource {
public:
    explicit MemorySource(Bitmap bitmap) : bitmap_(std::move(bitmap)) {}

    Size size() override { return bitmap_.size; }

    void copyPixels(const Rect& rect, std::uint8_t* out) override {
        ++reads;
        for (std::uint32_t y = 0; y < rect.height; ++y, out += rect.width * bytesPerPixel)
            std::memcpy(out, bitmap_.row(rect.y + y) + rect.x * bytesPerPixel,
                        rect.width * bytesPerPixel);
    }

    int reads = 0;

private:
    Bitmap bitmap_;
};

// A bitmap of one opaque colour.
inline Bitmap solidBitmap(Size size, std::uint8_t b, std::uint8_t g, std::uint8_t r,
                          std::uint8_t a = 255) {
    Bitmap bitmap(size);
    for (std::size_t i = 0; i < bitmap.pixels.size(); i += 4) {
        bitmap.pixels[i] = b;
        bitmap.pixels[i + 1] = g;
        bitmap.pixels[i + 2] = r;
        bitmap.pixels[i + 3] = a;
    }
    return bitmap;
}

} // namespace Korva::QELD
