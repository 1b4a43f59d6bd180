#include "tools/vtablet/model/pixel_decode.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Korva::VTablet;

TEST(VTabletPixels, ImageSizesFollowTheMode) {
    EXPECT_EQ(imageBytes(0x00, 396, 100), 5000u);
    EXPECT_EQ(imageBytes(0x01, 396, 100), 5000u);
    EXPECT_EQ(imageBytes(0x10, 396, 100), 5000u);
    EXPECT_EQ(imageBytes(0x02, 396, 100), 79200u);
    EXPECT_EQ(imageBytes(0x12, 396, 100), 79200u);
    EXPECT_EQ(imageBytes(0x14, 396, 100), 118800u);
    for (uint8_t bad : {0x03, 0x08, 0x11, 0x20})
        EXPECT_EQ(imageBytes(bad, 396, 100), 0u);
}

TEST(VTabletPixels, MonochromeRowsArePaddedToWholeBytes) {
    // 9 pixels a row: two bytes; the padding bits of the second byte are set
    // and must not leak into the next row.
    const std::vector<uint8_t> source{0x00, 0xFF, 0x80, 0x00};
    std::vector<uint8_t> screen(9 * 2 * 3, 0x55);
    decodeImage(0x00, source.data(), 9, 2, screen.data());
    EXPECT_EQ(screen[3 * 8], 0xFF) << "pixel 8 of row 0 is the top bit of byte 1";
    EXPECT_EQ(screen[3 * 7], 0x00);
    EXPECT_EQ(screen[3 * 9], 0xFF) << "row 1 starts at byte 2";
    EXPECT_EQ(screen[3 * 10], 0x00);
}

TEST(VTabletPixels, ColourChannelsWidenToFullRange) {
    const std::vector<uint8_t> source{0xF8, 0x00, 0x07, 0xE0, 0x00, 0x1F, 0x84, 0x10};
    std::vector<uint8_t> screen(4 * 3);
    decodeImage(0x12, source.data(), 4, 1, screen.data());
    EXPECT_EQ(screen, (std::vector<uint8_t>{255, 0, 0, 0, 255, 0, 0, 0, 255, 0x84, 0x82, 0x84}));
}
