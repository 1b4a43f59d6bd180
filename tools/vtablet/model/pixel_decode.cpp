#include "tools/vtablet/model/pixel_decode.h"

namespace Korva::VTablet {

namespace {

enum class Format { None, Mono, Rgb565, Bgr24 };

Format formatOf(uint8_t mode) {
    switch (mode) {
    case 0x00:
    case 0x01:
    case 0x10:
        return Format::Mono;
    case 0x02:
    case 0x12:
        return Format::Rgb565;
    case 0x04:
    case 0x14:
        return Format::Bgr24;
    default:
        return Format::None;
    }
}

// The leftmost pixel is the most significant bit; a set bit is white.
void decodeMono(const uint8_t* source, uint32_t width, uint32_t height, uint8_t* screen) {
    const uint32_t stride = (width + 7) / 8;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const bool white = (source[y * stride + x / 8] >> (7 - x % 8)) & 1;
            uint8_t* pixel = screen + 3 * (y * width + x);
            pixel[0] = pixel[1] = pixel[2] = white ? 0xFF : 0x00;
        }
    }
}

// Widens a channel of the given bit count so that its maximum becomes 0xFF.
uint8_t widen(uint32_t value, uint32_t bits) {
    return static_cast<uint8_t>((value << (8 - bits)) | (value >> (2 * bits - 8)));
}

// Red in bits 15-11, green 10-5, blue 4-0, most significant byte first.
void decodeRgb565(const uint8_t* source, uint32_t pixels, uint8_t* screen) {
    for (uint32_t i = 0; i < pixels; ++i) {
        const uint32_t value = (uint32_t{source[2 * i]} << 8) | source[2 * i + 1];
        screen[3 * i] = widen(value >> 11, 5);
        screen[3 * i + 1] = widen((value >> 5) & 0x3F, 6);
        screen[3 * i + 2] = widen(value & 0x1F, 5);
    }
}

void decodeBgr24(const uint8_t* source, uint32_t pixels, uint8_t* screen) {
    for (uint32_t i = 0; i < pixels; ++i) {
        screen[3 * i] = source[3 * i + 2];
        screen[3 * i + 1] = source[3 * i + 1];
        screen[3 * i + 2] = source[3 * i];
    }
}

} // namespace

uint32_t imageBytes(uint8_t mode, uint32_t width, uint32_t height) {
    switch (formatOf(mode)) {
    case Format::Mono:
        return height * ((width + 7) / 8);
    case Format::Rgb565:
        return height * width * 2;
    case Format::Bgr24:
        return height * width * 3;
    default:
        return 0;
    }
}

void decodeImage(uint8_t mode, const uint8_t* source, uint32_t width, uint32_t height,
                 uint8_t* screen) {
    switch (formatOf(mode)) {
    case Format::Mono:
        decodeMono(source, width, height, screen);
        break;
    case Format::Rgb565:
        decodeRgb565(source, width * height, screen);
        break;
    case Format::Bgr24:
        decodeBgr24(source, width * height, screen);
        break;
    default:
        break;
    }
}

} // namespace Korva::VTablet
