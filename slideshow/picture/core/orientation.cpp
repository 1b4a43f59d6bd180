#include "slideshow/picture/core/orientation.h"

#include <algorithm>
#include <cstring>

namespace Korva::QELD {
namespace {

struct Point {
    std::uint32_t x;
    std::uint32_t y;
};

// The stored pixel that shows at upright position p.
Point storedPoint(Size s, Orientation o, Point p) {
    const std::uint32_t right = s.width - 1;
    const std::uint32_t bottom = s.height - 1;
    switch (o) {
    case 2:
        return {right - p.x, p.y};
    case 3:
        return {right - p.x, bottom - p.y};
    case 4:
        return {p.x, bottom - p.y};
    case 5:
        return {p.y, p.x};
    case 6:
        return {p.y, bottom - p.x};
    case 7:
        return {right - p.y, bottom - p.x};
    case 8:
        return {right - p.y, p.x};
    default:
        return p;
    }
}

} // namespace

Size orientedSize(Size stored, Orientation o) {
    return swapsAxes(o) ? Size{stored.height, stored.width} : stored;
}

Rect storedRect(Size stored, Orientation o, Rect upright) {
    const Point a = storedPoint(stored, o, {upright.x, upright.y});
    const Point b =
        storedPoint(stored, o, {upright.x + upright.width - 1, upright.y + upright.height - 1});
    const std::uint32_t x = std::min(a.x, b.x);
    const std::uint32_t y = std::min(a.y, b.y);
    return {x, y, std::max(a.x, b.x) - x + 1, std::max(a.y, b.y) - y + 1};
}

Bitmap orientBitmap(const Bitmap& stored, Orientation o) {
    if (o == orientationNormal || o > 8)
        return stored;
    Bitmap upright(orientedSize(stored.size, o));
    for (std::uint32_t y = 0; y < upright.size.height; ++y) {
        std::uint8_t* out = upright.row(y);
        for (std::uint32_t x = 0; x < upright.size.width; ++x, out += bytesPerPixel) {
            const Point p = storedPoint(stored.size, o, {x, y});
            std::memcpy(out, stored.row(p.y) + std::size_t{p.x} * bytesPerPixel, bytesPerPixel);
        }
    }
    return upright;
}

} // namespace Korva::QELD
