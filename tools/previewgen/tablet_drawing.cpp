#include "tools/previewgen/tablet_drawing.h"

#include "applet/core/resource.h"
#include "tools/previewgen/sample_picture.h"

#include <algorithm>

namespace Korva::QELD::Preview {

namespace {

constexpr Colour black{0, 0, 0, 255};
constexpr Colour white{255, 255, 255, 255};

Colour grey(Colour c) {
    const auto level = static_cast<std::uint8_t>((c.r * 30 + c.g * 59 + c.b * 11) / 100);
    return {level, level, level, c.a};
}

// A one-bit screen shows the picture dithered with a 4 x 4 ordered pattern.
Colour monochromeAt(Colour c, double u, double v, const Box& box) {
    static constexpr int bayer[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    const int x = static_cast<int>(u * box.w * 1.5) & 3;
    const int y = static_cast<int>(v * box.h * 1.5) & 3;
    return grey(c).r > (bayer[y][x] * 16 + 8) ? white : black;
}

// Where the picture lands on a screen for a layout.
Box pictureBox(const Box& screen, const PreviewLayout& layout) {
    if (layout.size == 0)
        return screen;
    const double aspect = samplePictureAspect();
    if (layout.size == 1) {
        const double w = std::min(screen.w, screen.h * aspect);
        const double h = w / aspect;
        return {screen.x + (screen.w - w) / 2, screen.y + (screen.h - h) / 2, w, h};
    }
    // At its original size the sample is smaller than every screen, so that
    // the anchor shows.
    const double w = screen.w * 0.55;
    const double h = std::min(w / aspect, screen.h * 0.7);
    const int column = layout.anchor & 0x0F;
    const int row = layout.anchor >> 4;
    return {screen.x + (screen.w - w) * column / 2, screen.y + (screen.h - h) * row / 2, w, h};
}

void drawBody(Canvas& canvas, const TabletModel& model, Colour body, Colour bezel) {
    const Box shadow{model.body.x + 1.5, model.body.y + 2, model.body.w, model.body.h};
    canvas.fillRoundRect(shadow, 6, {0, 0, 0, 70});
    canvas.fillRoundRect(model.body, 6, body);
    const Box& s = model.screen;
    canvas.fillRoundRect({s.x - 2, s.y - 2, s.w + 4, s.h + 4}, 2, bezel);
    // The pen rests in its groove at the side of the body.
    const Box& b = model.body;
    canvas.fillRoundRect({b.x + b.w - 7, b.y + 8, 3.5, b.h - 16}, 1.7, bezel);
    canvas.fillEllipse({b.x + 4, b.y + b.h - 7, 3, 3}, {90, 200, 90, 255});
}

} // namespace

const std::array<TabletModel, 5>& tabletModels() {
    static const std::array<TabletModel, 5> models{{
        {"generic",
         IDI_PREVIEWS_GENERIC,
         {4, 14, 88, 68},
         {11, 21, 68, 54},
         {70, 74, 82, 255},
         {28, 30, 34, 255},
         false},
        {"qel10",
         IDI_PREVIEWS_QEL10,
         {14, 22, 68, 52},
         {20, 28, 48, 40},
         {196, 200, 204, 255},
         {60, 62, 66, 255},
         true},
        {"qel20",
         IDI_PREVIEWS_QEL20,
         {4, 22, 88, 52},
         {11, 29, 70, 38},
         {40, 58, 96, 255},
         {20, 24, 32, 255},
         false},
        {"qel30",
         IDI_PREVIEWS_QEL30,
         {8, 12, 80, 72},
         {15, 19, 60, 58},
         {232, 232, 228, 255},
         {80, 80, 84, 255},
         false},
        {"qel40",
         IDI_PREVIEWS_QEL40,
         {2, 10, 92, 76},
         {9, 17, 72, 62},
         {24, 24, 26, 255},
         {52, 52, 56, 255},
         false},
    }};
    return models;
}

void drawPreview(Canvas& canvas, const TabletModel& model, const PreviewLayout& layout) {
    drawBody(canvas, model, model.bodyColour, model.bezelColour);
    const Box& screen = model.screen;
    const Colour border = layout.border == 1 ? white : black;
    const bool mono = model.monochrome;
    canvas.fillBox(screen, [border](double, double) { return border; });
    const Box picture = pictureBox(screen, layout);
    canvas.fillBox(picture, [mono, picture](double u, double v) {
        const Colour c = samplePictureAt(u, v);
        return mono ? monochromeAt(c, u, v, picture) : c;
    });
}

void drawGreyed(Canvas& canvas, const TabletModel& model) {
    const Colour body = grey(model.bodyColour);
    const Colour faded{static_cast<std::uint8_t>(160 + body.r / 4),
                       static_cast<std::uint8_t>(160 + body.g / 4),
                       static_cast<std::uint8_t>(160 + body.b / 4), 255};
    drawBody(canvas, model, faded, {150, 150, 150, 255});
    canvas.fillBox(model.screen, [](double, double) { return Colour{205, 205, 205, 255}; });
}

PreviewLayout layoutAtOffset(int offset) {
    if (offset == 0)
        return {0, 0, 0x11};
    const int border = offset <= 10 ? 1 : 0;
    const int first = offset <= 10 ? 1 : 11;
    if (offset == first)
        return {1, border, 0x11};
    const int index = offset - first - 1;
    return {2, border, (index / 3) * 16 + index % 3};
}

} // namespace Korva::QELD::Preview
