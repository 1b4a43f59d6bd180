#include "tools/previewgen/sample_picture.h"

#include <cmath>

namespace Korva::QELD::Preview {

namespace {

Colour mixed(Colour a, Colour b, double t) {
    const auto lerp = [t](std::uint8_t x, std::uint8_t y) {
        return static_cast<std::uint8_t>(std::lround(x + (y - x) * t));
    };
    return {lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b), 255};
}

} // namespace

double samplePictureAspect() {
    return 4.0 / 3.0;
}

Colour samplePictureAt(double u, double v) {
    const double x = u * 4, y = v * 3;
    const double sunDx = x - 3.0, sunDy = y - 0.75;
    if (sunDx * sunDx + sunDy * sunDy < 0.16)
        return {255, 214, 40, 255};
    const bool inHouse = x > 0.8 && x < 1.6 && y > 1.55 && y < 2.2;
    const bool inRoof =
        y <= 1.55 && y > 1.55 - (0.4 - std::abs(x - 1.2)) && std::abs(x - 1.2) < 0.45;
    if (inRoof)
        return {170, 40, 30, 255};
    if (inHouse)
        return x > 1.1 && x < 1.3 && y > 1.85 ? Colour{90, 60, 30, 255}
                                              : Colour{235, 220, 190, 255};
    const double farHill = 1.7 + 0.25 * std::sin(x * 1.7 + 0.5);
    const double nearHill = 2.1 + 0.2 * std::sin(x * 2.3 + 2.0);
    if (y > nearHill)
        return mixed({70, 150, 50, 255}, {40, 110, 35, 255}, (y - nearHill) / (3 - nearHill));
    if (y > farHill)
        return {110, 170, 90, 255};
    return mixed({70, 130, 215, 255}, {175, 215, 245, 255}, y / farHill);
}

} // namespace Korva::QELD::Preview
