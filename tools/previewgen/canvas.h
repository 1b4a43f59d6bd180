#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace Korva::QELD::Preview {

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

// A rectangle in the drawing's own units: 96 units span the canvas.
struct Box {
    double x = 0, y = 0, w = 0, h = 0;
};

// A square picture of straight (not premultiplied) RGBA pixels, drawn with
// shapes given in units of 1/96 of its side, so one drawing serves every
// icon size. Edges are smoothed by sampling each pixel sixteen times.
class Canvas {
public:
    explicit Canvas(int side);

    int side() const noexcept { return side_; }
    const std::vector<Colour>& pixels() const noexcept { return pixels_; }
    Colour at(int x, int y) const { return pixels_[y * side_ + x]; }

    void fillRoundRect(const Box& box, double radius, Colour colour);
    void fillEllipse(const Box& box, Colour colour);
    // Paints the part of a box that the coverage test claims; colourAt gives
    // the colour at relative coordinates (0..1) inside the box.
    void paint(const Box& box, const std::function<bool(double, double)>& covers,
               const std::function<Colour(double, double)>& colourAt);
    void fillBox(const Box& box, const std::function<Colour(double, double)>& colourAt);

private:
    void blend(int x, int y, Colour colour, double coverage);

    int side_;
    std::vector<Colour> pixels_;
};

} // namespace Korva::QELD::Preview
