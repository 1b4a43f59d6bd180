#include "slideshow/picture/core/encode_image.h"

#include "tests/slideshow/memory_source.h"

#include <gtest/gtest.h>

#include <numeric>
#include <stdexcept>

namespace Korva::QELD {
namespace {

TEST(EncodeImage, SizesFollowTheFormat) {
    const Bitmap grey = solidBitmap({396, 100}, 90, 90, 90);
    EXPECT_EQ(encodeImage(grey, 0x00).size(), 100u * 50);
    EXPECT_EQ(encodeImage(grey, 0x02).size(), 100u * 792);
    EXPECT_EQ(encodeImage(grey, 0x04).size(), 100u * 1188);
}

TEST(EncodeImage, PureWhiteAndRedInEachFormat) {
    const Bitmap whiteBitmap = solidBitmap({9, 2}, 255, 255, 255);
    const std::vector<std::uint8_t> mono = encodeMonochrome(whiteBitmap);
    ASSERT_EQ(mono.size(), 4u);
    EXPECT_EQ(mono[0], 0xFF);
    EXPECT_EQ(mono[1] & 0x80, 0x80); // ninth pixel in bit 7 of the second byte
    EXPECT_EQ(mono[2], 0xFF);
    EXPECT_EQ(encodeRgb565(whiteBitmap)[0], 0xFF);
    EXPECT_EQ(encodeRgb565(whiteBitmap)[1], 0xFF);
    EXPECT_EQ(encodeBgr24(whiteBitmap), std::vector<std::uint8_t>(9 * 2 * 3, 0xFF));

    const Bitmap red = solidBitmap({1, 1}, 0, 0, 255);
    EXPECT_EQ(encodeRgb565(red), (std::vector<std::uint8_t>{0xF8, 0x00}));
    EXPECT_EQ(encodeBgr24(red), (std::vector<std::uint8_t>{0x00, 0x00, 0xFF}));
    EXPECT_EQ(encodeMonochrome(solidBitmap({8, 1}, 0, 0, 0)), (std::vector<std::uint8_t>{0x00}));
}

TEST(EncodeImage, Rgb565IsMostSignificantByteFirst) {
    Bitmap bitmap = solidBitmap({2, 1}, 255, 0, 0); // blue
    bitmap.pixels[4 + 1] = 255;                     // green second pixel
    bitmap.pixels[4] = 0;
    EXPECT_EQ(encodeRgb565(bitmap), (std::vector<std::uint8_t>{0x00, 0x1F, 0x07, 0xE0}));
}

TEST(EncodeImage, MonochromeLeftmostPixelIsBitSeven) {
    Bitmap bitmap = solidBitmap({10, 1}, 0, 0, 0);
    for (const std::uint32_t x : {0u, 3u, 9u})
        std::fill_n(bitmap.pixels.begin() + x * 4, 3, 255);
    EXPECT_EQ(encodeMonochrome(bitmap), (std::vector<std::uint8_t>{0x90, 0x40}));
}

TEST(EncodeImage, MonochromeDithersGreyToItsShare) {
    // Mid grey diffuses to about half white; dark grey to about a quarter.
    for (const auto& [level, share] : {std::pair{128, 0.5}, std::pair{64, 0.25}}) {
        const auto l = static_cast<std::uint8_t>(level);
        const std::vector<std::uint8_t> bytes = encodeMonochrome(solidBitmap({64, 64}, l, l, l));
        const int set = std::accumulate(bytes.begin(), bytes.end(), 0, [](int n, std::uint8_t b) {
            return n + __builtin_popcount(b);
        });
        EXPECT_NEAR(set / (64.0 * 64.0), share, 0.03) << level;
    }
}

TEST(EncodeImage, BulkBitGivesTheSameBytesAndOtherModesAreRefused) {
    Bitmap bitmap = solidBitmap({13, 3}, 10, 200, 120);
    EXPECT_EQ(encodeImage(bitmap, 0x01), encodeImage(bitmap, 0x00));
    EXPECT_EQ(encodeImage(bitmap, 0x10), encodeImage(bitmap, 0x00));
    EXPECT_EQ(encodeImage(bitmap, 0x12), encodeImage(bitmap, 0x02));
    EXPECT_EQ(encodeImage(bitmap, 0x14), encodeImage(bitmap, 0x04));
    for (const std::uint8_t mode : {0x03, 0x08, 0x11, 0x05, 0x06, 0xFF}) {
        try {
            encodeImage(bitmap, mode);
            ADD_FAILURE() << "mode " << int(mode) << " accepted";
        } catch (const std::out_of_range& e) {
            EXPECT_STREQ(e.what(), "invalid value for EncodingMode");
        }
    }
}

} // namespace
} // namespace Korva::QELD
