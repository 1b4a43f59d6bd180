#pragma once

#include "slideshow/picture/core/bitmap.h"

#include <cstdint>

namespace Korva::QELD {

// Anchor bytes: low nibble horizontal, high nibble vertical.
inline constexpr std::uint8_t anchorCentre = 0x11;

struct FitResult {
    Size size;
    bool needsCanvas = false;
};

struct CropResult {
    Rect rect;
    bool needsCanvas = false;
};

// How a picture of a given size reaches the screen: the part of it that is
// used, the size that part is scaled to, and where that lands on the screen.
// Without a canvas the scaled part fills the screen exactly.
struct LayoutPlan {
    Rect crop;
    Size scaled;
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    bool needsCanvas = false;
};

// "Best fit": the largest size of the picture's aspect that fits the screen.
// An aspect equal to the screen's needs no canvas (the picture is then
// scaled to the screen uniformly).
FitResult fitToScreen(Size picture, Size screen);

// "Original size": the part of the picture that the screen shows at the
// anchor when the picture is larger than the screen in some direction.
CropResult cropToScreen(Size picture, Size screen, std::uint8_t anchor);

// Where a placed picture of the given size lies on the screen at the anchor.
void canvasOffset(Size placed, Size screen, std::uint8_t anchor, std::uint32_t& x,
                  std::uint32_t& y);

// The layout step for a "Scale" code and "Clip" anchor.
LayoutPlan layoutImage(Size picture, Size screen, std::int32_t scale, std::uint8_t anchor);

} // namespace Korva::QELD
