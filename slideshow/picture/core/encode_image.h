#pragma once

#include "slideshow/picture/core/bitmap.h"

#include <cstdint>
#include <vector>

namespace Korva::QELD {

enum class PixelFormat { Monochrome, Rgb565, Bgr24 };

// The pixel format an EncodingMode selects; bit 0x10 (the bulk pipe) does
// not change it. Throws std::out_of_range "invalid value for EncodingMode"
// for every other value.
PixelFormat pixelFormatFor(std::uint8_t encodingMode);

// The screen bytes of a screen-sized bitmap, rows from top to bottom.
std::vector<std::uint8_t> encodeImage(const Bitmap& bitmap, std::uint8_t encodingMode);

// One bit per pixel, set for white, the leftmost pixel in bit 7, each row
// padded to whole bytes; grey levels are dithered by Floyd-Steinberg error
// diffusion.
std::vector<std::uint8_t> encodeMonochrome(const Bitmap& bitmap);

// Two bytes per pixel, red in bits 15-11, green 10-5, blue 4-0, the most
// significant byte first.
std::vector<std::uint8_t> encodeRgb565(const Bitmap& bitmap);

// Three bytes per pixel: blue, green, red.
std::vector<std::uint8_t> encodeBgr24(const Bitmap& bitmap);

} // namespace Korva::QELD
