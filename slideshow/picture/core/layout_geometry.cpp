#include "slideshow/picture/core/layout_geometry.h"

#include "slideshow/picture/core/layout_settings.h"

#include <algorithm>

namespace Korva::QELD {
namespace {

// Rounds a positive single-precision value to the nearest integer, halves
// up, the way the best-fit rule has always done it: (trunc(2v) + 1) / 2. A
// very thin picture still keeps one pixel rather than vanishing.
std::uint32_t roundedHalfUp(float value) {
    const auto twice = static_cast<std::uint32_t>(2.0f * value);
    return std::max<std::uint32_t>((twice + 1) / 2, 1);
}

// The crop origin along one axis for an anchor nibble. The right or bottom
// anchor starts one short of the difference, so the last column or row of
// the picture is not shown.
std::uint32_t cropOrigin(std::uint32_t picture, std::uint32_t screen, unsigned nibble) {
    if (nibble == 1)
        return (picture - screen) / 2;
    if (nibble == 2)
        return picture - screen - 1;
    return 0;
}

std::uint32_t placeOrigin(std::uint32_t placed, std::uint32_t screen, unsigned bits) {
    if (bits & 0x1)
        return (screen - placed) / 2;
    if (bits & 0x2)
        return screen - placed;
    return 0;
}

} // namespace

FitResult fitToScreen(Size picture, Size screen) {
    const float pictureAspect =
        static_cast<float>(picture.width) / static_cast<float>(picture.height);
    const float screenAspect = static_cast<float>(screen.width) / static_cast<float>(screen.height);
    if (pictureAspect == screenAspect)
        return {picture, false};
    if (pictureAspect > screenAspect)
        return {{screen.width, roundedHalfUp(static_cast<float>(screen.width) / pictureAspect)},
                true};
    return {{roundedHalfUp(static_cast<float>(screen.height) * pictureAspect), screen.height},
            true};
}

CropResult cropToScreen(Size picture, Size screen, std::uint8_t anchor) {
    CropResult result{{0, 0, picture.width, picture.height}, true};
    const bool wider = picture.width > screen.width;
    const bool taller = picture.height > screen.height;
    if (wider) {
        result.rect.x = cropOrigin(picture.width, screen.width, anchor & 0x0F);
        result.rect.width = screen.width;
    }
    if (taller) {
        result.rect.y = cropOrigin(picture.height, screen.height, anchor >> 4);
        result.rect.height = screen.height;
    }
    result.needsCanvas = !(wider && taller);
    return result;
}

void canvasOffset(Size placed, Size screen, std::uint8_t anchor, std::uint32_t& x,
                  std::uint32_t& y) {
    x = placeOrigin(placed.width, screen.width, anchor & 0x0F);
    y = placeOrigin(placed.height, screen.height, anchor >> 4);
}

LayoutPlan layoutImage(Size picture, Size screen, std::int32_t scale, std::uint8_t anchor) {
    const Rect whole{0, 0, picture.width, picture.height};
    // Stretch, and a picture of exactly screen size, fill the screen as they are.
    if (scale == scaleStretch || picture == screen)
        return {whole, screen, 0, 0, false};
    LayoutPlan plan;
    if (scale == scaleOriginalSize) {
        const CropResult crop = cropToScreen(picture, screen, anchor);
        plan = {crop.rect, {crop.rect.width, crop.rect.height}, 0, 0, crop.needsCanvas};
    } else {
        const FitResult fit = fitToScreen(picture, screen);
        plan = {whole, fit.needsCanvas ? fit.size : screen, 0, 0, fit.needsCanvas};
        anchor = anchorCentre;
    }
    if (plan.needsCanvas)
        canvasOffset(plan.scaled, screen, anchor, plan.x, plan.y);
    return plan;
}

} // namespace Korva::QELD
