#pragma once

#include <cstdint>
#include <vector>

namespace Korva::QELD {

struct Size {
    std::uint32_t width = 0;
    std::uint32_t height = 0;

    bool operator==(const Size&) const = default;
};

struct Rect {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;

    bool operator==(const Rect&) const = default;
};

inline constexpr std::uint32_t bytesPerPixel = 4;

// A picture in memory: rows from top to bottom without padding, each pixel
// four bytes in the order blue, green, red, alpha (not premultiplied).
struct Bitmap {
    Size size;
    std::vector<std::uint8_t> pixels;

    Bitmap() = default;
    explicit Bitmap(Size s) : size(s), pixels(std::size_t{s.width} * s.height * bytesPerPixel) {}

    std::size_t stride() const noexcept { return std::size_t{size.width} * bytesPerPixel; }
    std::uint8_t* row(std::uint32_t y) noexcept { return pixels.data() + y * stride(); }
    const std::uint8_t* row(std::uint32_t y) const noexcept { return pixels.data() + y * stride(); }
};

} // namespace Korva::QELD
