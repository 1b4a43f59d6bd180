#include "slideshow/picture/core/layout_geometry.h"

#include <gtest/gtest.h>

namespace Korva::QELD {
namespace {

TEST(FitToScreen, WorkedValues) {
    const LayoutPlan wide = layoutImage({1024, 768}, {320, 160}, 1, 0x00);
    EXPECT_EQ(wide.scaled, (Size{213, 160}));
    EXPECT_EQ(wide.x, 53u);
    EXPECT_EQ(wide.y, 0u);
    EXPECT_TRUE(wide.needsCanvas);

    const LayoutPlan photo = layoutImage({3000, 2000}, {640, 480}, 1, 0x22);
    EXPECT_EQ(photo.scaled, (Size{640, 427}));
    EXPECT_EQ(photo.x, 0u);
    EXPECT_EQ(photo.y, 26u);

    const FitResult equal = fitToScreen({1600, 1200}, {640, 480});
    EXPECT_FALSE(equal.needsCanvas);
    const LayoutPlan uniform = layoutImage({1600, 1200}, {640, 480}, 1, 0x00);
    EXPECT_EQ(uniform.scaled, (Size{640, 480}));
    EXPECT_FALSE(uniform.needsCanvas);
}

TEST(FitToScreen, RoundsHalvesUpAndNeverVanishes) {
    // Pictures relatively taller than the screen keep the screen height.
    EXPECT_EQ(fitToScreen({3, 2}, {320, 160}).size, (Size{240, 160}));
    EXPECT_EQ(fitToScreen({300, 400}, {320, 160}).size, (Size{120, 160}));
    // A wider picture keeps the screen width; 5 / 2 = 2.5 becomes 3.
    EXPECT_EQ(fitToScreen({4, 2}, {5, 10}).size, (Size{5, 3}));
    EXPECT_EQ(fitToScreen({100000, 1}, {320, 160}).size, (Size{320, 1}));
}

TEST(LayoutImage, BestFitIsCentredWhateverTheAnchorAndScaleCode) {
    for (const std::int32_t scale : {1, 7, -1}) {
        for (const std::uint8_t clip : {0x00, 0x22, 0x12}) {
            const LayoutPlan plan = layoutImage({100, 400}, {320, 160}, scale, clip);
            EXPECT_EQ(plan.scaled, (Size{40, 160}));
            EXPECT_EQ(plan.x, 140u);
            EXPECT_EQ(plan.y, 0u);
        }
    }
}

TEST(LayoutImage, StretchAndScreenSizeFillTheScreenUntouched) {
    const LayoutPlan stretch = layoutImage({1000, 10}, {320, 160}, 0, 0x22);
    EXPECT_EQ(stretch.crop, (Rect{0, 0, 1000, 10}));
    EXPECT_EQ(stretch.scaled, (Size{320, 160}));
    EXPECT_FALSE(stretch.needsCanvas);
    for (const std::int32_t scale : {0, 1, 2}) {
        const LayoutPlan same = layoutImage({320, 160}, {320, 160}, scale, 0x22);
        EXPECT_EQ(same.crop, (Rect{0, 0, 320, 160}));
        EXPECT_EQ(same.scaled, (Size{320, 160}));
        EXPECT_FALSE(same.needsCanvas);
    }
}

struct AnchorCase {
    std::uint8_t anchor;
    std::uint32_t cropX, cropY;   // picture 400 x 300 on 320 x 160
    std::uint32_t placeX, placeY; // picture 100 x 60 on 320 x 160
};

TEST(LayoutImage, OriginalSizeAtEveryAnchor) {
    const AnchorCase cases[] = {
        {0x00, 0, 0, 0, 0},
        {0x01, 40, 0, 110, 0},
        {0x02, 79, 0, 220, 0},
        {0x10, 0, 70, 0, 50},
        {0x11, 40, 70, 110, 50},
        {0x12, 79, 70, 220, 50},
        {0x20, 0, 139, 0, 100},
        {0x21, 40, 139, 110, 100},
        {0x22, 79, 139, 220, 100},
        // Cropping knows only the codes 1 and 2; placing tests bits, the centre first.
        {0x33, 0, 0, 110, 50},
    };
    for (const AnchorCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.anchor));
        const LayoutPlan crop = layoutImage({400, 300}, {320, 160}, 2, c.anchor);
        EXPECT_EQ(crop.crop, (Rect{c.cropX, c.cropY, 320, 160}));
        EXPECT_FALSE(crop.needsCanvas);
        const LayoutPlan place = layoutImage({100, 60}, {320, 160}, 2, c.anchor);
        EXPECT_EQ(place.crop, (Rect{0, 0, 100, 60}));
        EXPECT_EQ(place.scaled, (Size{100, 60}));
        EXPECT_TRUE(place.needsCanvas);
        EXPECT_EQ(place.x, c.placeX);
        EXPECT_EQ(place.y, c.placeY);
    }
}

TEST(LayoutImage, OriginalSizeLargerInOneDirectionIsCroppedThereAndPlacedInTheOther) {
    const LayoutPlan plan = layoutImage({400, 100}, {320, 160}, 2, 0x22);
    EXPECT_EQ(plan.crop, (Rect{79, 0, 320, 100}));
    EXPECT_TRUE(plan.needsCanvas);
    EXPECT_EQ(plan.x, 0u);
    EXPECT_EQ(plan.y, 60u);
}

TEST(CropToScreen, RightAnchorOneColumnWiderStartsAtTheLeft) {
    EXPECT_EQ(cropToScreen({321, 160}, {320, 160}, 0x12).rect, (Rect{0, 0, 320, 160}));
    EXPECT_EQ(cropToScreen({320, 161}, {320, 160}, 0x21).rect, (Rect{0, 0, 320, 160}));
}

} // namespace
} // namespace Korva::QELD
