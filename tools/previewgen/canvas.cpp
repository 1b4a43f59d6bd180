#include "tools/previewgen/canvas.h"

#include <algorithm>
#include <cmath>

namespace Korva::QELD::Preview {

namespace {

constexpr int samples = 4;

} // namespace

Canvas::Canvas(int side) : side_(side), pixels_(static_cast<std::size_t>(side) * side) {
    for (auto& p : pixels_)
        p.a = 0;
}

void Canvas::blend(int x, int y, Colour c, double coverage) {
    if (coverage <= 0)
        return;
    auto& p = pixels_[y * side_ + x];
    const double srcA = coverage * c.a / 255.0;
    const double dstA = p.a / 255.0;
    const double outA = srcA + dstA * (1 - srcA);
    const auto mix = [&](std::uint8_t s, std::uint8_t d) {
        return static_cast<std::uint8_t>(std::lround((s * srcA + d * dstA * (1 - srcA)) / outA));
    };
    p = {mix(c.r, p.r), mix(c.g, p.g), mix(c.b, p.b),
         static_cast<std::uint8_t>(std::lround(outA * 255))};
}

void Canvas::paint(const Box& box, const std::function<bool(double, double)>& covers,
                   const std::function<Colour(double, double)>& colourAt) {
    const double scale = side_ / 96.0;
    const int x0 = std::max(0, static_cast<int>(std::floor(box.x * scale)));
    const int y0 = std::max(0, static_cast<int>(std::floor(box.y * scale)));
    const int x1 = std::min(side_, static_cast<int>(std::ceil((box.x + box.w) * scale)));
    const int y1 = std::min(side_, static_cast<int>(std::ceil((box.y + box.h) * scale)));
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < samples; ++sy)
                for (int sx = 0; sx < samples; ++sx) {
                    const double u = ((x + (sx + 0.5) / samples) / scale - box.x) / box.w;
                    const double v = ((y + (sy + 0.5) / samples) / scale - box.y) / box.h;
                    hits += u >= 0 && u < 1 && v >= 0 && v < 1 && covers(u, v);
                }
            const double u = ((x + 0.5) / scale - box.x) / box.w;
            const double v = ((y + 0.5) / scale - box.y) / box.h;
            blend(x, y, colourAt(std::clamp(u, 0.0, 1.0), std::clamp(v, 0.0, 1.0)),
                  hits / double(samples * samples));
        }
    }
}

void Canvas::fillBox(const Box& box, const std::function<Colour(double, double)>& colourAt) {
    paint(
        box, [](double, double) { return true; }, colourAt);
}

void Canvas::fillRoundRect(const Box& box, double radius, Colour colour) {
    const double rx = radius / box.w;
    const double ry = radius / box.h;
    paint(
        box,
        [rx, ry](double u, double v) {
            const double dx = std::max({rx - u, u - (1 - rx), 0.0}) / rx;
            const double dy = std::max({ry - v, v - (1 - ry), 0.0}) / ry;
            return dx * dx + dy * dy <= 1;
        },
        [colour](double, double) { return colour; });
}

void Canvas::fillEllipse(const Box& box, Colour colour) {
    paint(
        box,
        [](double u, double v) {
            const double dx = u - 0.5, dy = v - 0.5;
            return dx * dx + dy * dy <= 0.25;
        },
        [colour](double, double) { return colour; });
}

} // namespace Korva::QELD::Preview
