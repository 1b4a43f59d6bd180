#include "slideshow/picture/core/encode_image.h"

#include <algorithm>
#include <stdexcept>

namespace Korva::QELD {
namespace {

// Luma with the weights of ITU-R BT.601 in 1/256ths.
int luma(const std::uint8_t* bgra) {
    return (bgra[0] * 29 + bgra[1] * 150 + bgra[2] * 77 + 128) >> 8;
}

// Scales an 8-bit level to `levels` steps, rounded to the nearest.
unsigned reduce(std::uint8_t value, unsigned levels) {
    return (value * levels + 127) / 255;
}

} // namespace

PixelFormat pixelFormatFor(std::uint8_t encodingMode) {
    switch (encodingMode) {
    case 0x00:
    case 0x01:
    case 0x10:
        return PixelFormat::Monochrome;
    case 0x02:
    case 0x12:
        return PixelFormat::Rgb565;
    case 0x04:
    case 0x14:
        return PixelFormat::Bgr24;
    default:
        throw std::out_of_range("invalid value for EncodingMode");
    }
}

std::vector<std::uint8_t> encodeImage(const Bitmap& bitmap, std::uint8_t encodingMode) {
    switch (pixelFormatFor(encodingMode)) {
    case PixelFormat::Monochrome:
        return encodeMonochrome(bitmap);
    case PixelFormat::Rgb565:
        return encodeRgb565(bitmap);
    case PixelFormat::Bgr24:
        break;
    }
    return encodeBgr24(bitmap);
}

std::vector<std::uint8_t> encodeMonochrome(const Bitmap& bitmap) {
    const std::uint32_t width = bitmap.size.width;
    const std::size_t rowBytes = (std::size_t{width} + 7) / 8;
    std::vector<std::uint8_t> bytes(rowBytes * bitmap.size.height, 0);
    // Errors carried to this row and the next, with a spare slot at each end.
    std::vector<int> current(width + 2, 0);
    std::vector<int> next(width + 2, 0);
    for (std::uint32_t y = 0; y < bitmap.size.height; ++y) {
        const std::uint8_t* in = bitmap.row(y);
        std::uint8_t* out = bytes.data() + y * rowBytes;
        for (std::uint32_t x = 0; x < width; ++x, in += 4) {
            const int value = luma(in) + current[x + 1];
            const bool white = value >= 128;
            const int error = white ? value - 255 : value;
            if (white)
                out[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            const int right = error * 7 / 16, below = error * 5 / 16, belowLeft = error * 3 / 16;
            current[x + 2] += right;
            next[x] += belowLeft;
            next[x + 1] += below;
            next[x + 2] += error - right - below - belowLeft;
        }
        current.swap(next);
        std::fill(next.begin(), next.end(), 0);
    }
    return bytes;
}

std::vector<std::uint8_t> encodeRgb565(const Bitmap& bitmap) {
    const std::size_t pixels = std::size_t{bitmap.size.width} * bitmap.size.height;
    std::vector<std::uint8_t> bytes(pixels * 2);
    const std::uint8_t* in = bitmap.pixels.data();
    for (std::size_t i = 0; i < pixels; ++i, in += 4) {
        const unsigned value = reduce(in[2], 31) << 11 | reduce(in[1], 63) << 5 | reduce(in[0], 31);
        bytes[2 * i] = static_cast<std::uint8_t>(value >> 8);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(value);
    }
    return bytes;
}

std::vector<std::uint8_t> encodeBgr24(const Bitmap& bitmap) {
    const std::size_t pixels = std::size_t{bitmap.size.width} * bitmap.size.height;
    std::vector<std::uint8_t> bytes(pixels * 3);
    const std::uint8_t* in = bitmap.pixels.data();
    for (std::size_t i = 0; i < pixels; ++i, in += 4) {
        bytes[3 * i] = in[0];
        bytes[3 * i + 1] = in[1];
        bytes[3 * i + 2] = in[2];
    }
    return bytes;
}

} // namespace Korva::QELD
