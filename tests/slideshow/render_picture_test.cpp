#include "slideshow/picture/core/render_picture.h"

#include "slideshow/picture/core/encode_image.h"
#include "slideshow/picture/core/orientation.h"
#include "tests/slideshow/memory_source.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>

namespace Korva::QELD {
namespace {

ImageParameters params(std::uint8_t mode, std::uint16_t w, std::uint16_t h, std::int32_t scale,
                       std::uint8_t clip = 0x11, bool borderAuto = true, std::int32_t border = 0) {
    return {mode, w, h, border, scale, clip, static_cast<std::uint8_t>(borderAuto)};
}

// The 24-bit bytes of one screen pixel.
std::array<std::uint8_t, 3> at(const std::vector<std::uint8_t>& bgr, int width, int x, int y) {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return {bgr[i], bgr[i + 1], bgr[i + 2]};
}

constexpr std::array<std::uint8_t, 3> bgrWhite{255, 255, 255};
constexpr std::array<std::uint8_t, 3> bgrBlack{0, 0, 0};
constexpr std::array<std::uint8_t, 3> bgrRed{0, 0, 255};

TEST(RenderPicture, BorderColourFollowsModeAndSetting) {
    EXPECT_EQ(borderColour(params(0x00, 1, 1, 1)).red, 255);
    EXPECT_EQ(borderColour(params(0x10, 1, 1, 1)).red, 255);
    EXPECT_EQ(borderColour(params(0x02, 1, 1, 1)).red, 0);
    EXPECT_EQ(borderColour(params(0x14, 1, 1, 1)).red, 0);
    EXPECT_EQ(borderColour(params(0x04, 1, 1, 1, 0x11, false, 1)).red, 255);
    EXPECT_EQ(borderColour(params(0x00, 1, 1, 1, 0x11, false, 2)).red, 0);
    EXPECT_EQ(borderColour(params(0x00, 1, 1, 1, 0x11, false, 0)).red, 0);
}

TEST(RenderPicture, BestFitFramesWithTheAutoBorder) {
    MemorySource red(solidBitmap({1024, 768}, 0, 0, 255));
    const auto bytes = renderPicture(red, orientationNormal, params(0x04, 320, 160, 7, 0x00));
    ASSERT_EQ(bytes.size(), 320u * 160 * 3);
    EXPECT_EQ(at(bytes, 320, 52, 80), bgrBlack);
    EXPECT_EQ(at(bytes, 320, 53, 80), bgrRed);
    EXPECT_EQ(at(bytes, 320, 265, 0), bgrRed);
    EXPECT_EQ(at(bytes, 320, 266, 159), bgrBlack);

    MemorySource black(solidBitmap({1024, 768}, 0, 0, 0));
    const auto mono = renderPicture(black, orientationNormal, params(0x00, 320, 160, 1));
    ASSERT_EQ(mono.size(), 40u * 160);
    EXPECT_EQ(mono[0], 0xFF); // white frame on the left
    EXPECT_EQ(mono[6], 0xF8); // x 48 to 52 frame, from x 53 the black picture
}

TEST(RenderPicture, StretchIgnoresBorderAndAnchor) {
    MemorySource red(solidBitmap({1000, 10}, 0, 0, 255));
    const auto bytes =
        renderPicture(red, orientationNormal, params(0x04, 32, 16, 0, 0x22, false, 1));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(at(bytes, 32, x, y), bgrRed);
}

TEST(RenderPicture, OriginalSizeReadsOnlyTheShownPart) {
    Bitmap picture = solidBitmap({400, 300}, 0, 0, 255);
    std::fill_n(picture.row(299) + 399 * 4, 3, 0); // the last pixel, never shown at 0x22
    std::fill_n(picture.row(298) + 398 * 4, 3, 255);
    MemorySource source(picture);
    const auto bytes = renderPicture(source, orientationNormal, params(0x04, 32, 16, 2, 0x22));
    EXPECT_EQ(at(bytes, 32, 31, 15), bgrWhite);
    EXPECT_EQ(at(bytes, 32, 30, 15), bgrRed);
}

TEST(RenderPicture, PictureOfScreenSizeIsUntouched) {
    Bitmap picture = solidBitmap({8, 4}, 0, 0, 0);
    std::fill_n(picture.row(1) + 3 * 4, 3, 255);
    for (const std::int32_t scale : {0, 1, 2}) {
        MemorySource source(picture);
        EXPECT_EQ(renderPicture(source, orientationNormal, params(0x04, 8, 4, scale, 0x22)),
                  encodeBgr24(picture));
    }
}

TEST(RenderPicture, TransparencyShowsTheBorderColour) {
    MemorySource clear(solidBitmap({4, 4}, 0, 0, 255, 0));
    EXPECT_EQ(at(renderPicture(clear, orientationNormal, params(0x04, 4, 4, 1)), 4, 1, 1),
              bgrBlack);
    EXPECT_EQ(
        at(renderPicture(clear, orientationNormal, params(0x04, 4, 4, 1, 0x11, false, 1)), 4, 1, 1),
        bgrWhite);
    MemorySource half(solidBitmap({4, 4}, 0, 0, 255, 128));
    const auto blended = at(renderPicture(half, orientationNormal, params(0x04, 4, 4, 1)), 4, 2, 2);
    EXPECT_EQ(blended[2], 128);
}

TEST(RenderPicture, OrientationTurnsThePictureUprightBeforeTheLayout) {
    // A stored 40 x 20 landscape whose top-left quarter is white; tag 6 says
    // it was taken with the camera turned right, so upright it is 20 x 40
    // with the white quarter at the top right.
    Bitmap stored = solidBitmap({40, 20}, 0, 0, 255);
    for (std::uint32_t y = 0; y < 10; ++y)
        std::fill_n(stored.row(y), 20 * 4, 255);
    MemorySource source(stored);
    const auto bytes = renderPicture(source, 6, params(0x04, 20, 40, 1));
    EXPECT_EQ(at(bytes, 20, 15, 5), bgrWhite);
    EXPECT_EQ(at(bytes, 20, 5, 5), bgrRed);
    EXPECT_EQ(at(bytes, 20, 15, 35), bgrRed);
    // Every orientation agrees with turning the whole picture first.
    Bitmap pattern({5, 3});
    for (std::size_t i = 0; i < pattern.pixels.size(); ++i)
        pattern.pixels[i] = i % 4 == 3 ? 255 : static_cast<std::uint8_t>(i * 13);
    for (Orientation o = 1; o <= 8; ++o) {
        MemorySource turned(pattern);
        const Bitmap upright = orientBitmap(pattern, o);
        const auto p = params(0x04, static_cast<std::uint16_t>(upright.size.width),
                              static_cast<std::uint16_t>(upright.size.height + 2), 2, 0x21);
        const auto bytes = renderPicture(turned, o, p);
        for (std::uint32_t y = 0; y < upright.size.height; ++y)
            for (std::uint32_t x = 0; x < upright.size.width; ++x) {
                const std::uint8_t* expected = upright.row(y) + x * 4;
                const auto got = at(bytes, p.width, x, y + 2);
                ASSERT_EQ(got, (std::array{expected[0], expected[1], expected[2]}))
                    << "orientation " << o << " at " << x << "," << y;
            }
    }
}

TEST(RenderPicture, BadModeIsRefusedBeforeReading) {
    MemorySource source(solidBitmap({10, 10}, 1, 2, 3));
    EXPECT_THROW(renderPicture(source, orientationNormal, params(0x03, 10, 10, 1)),
                 std::out_of_range);
    EXPECT_EQ(source.reads, 0);
}

TEST(RenderPicture, LargePicturesAreReadInBands) {
    MemorySource source(solidBitmap({2000, 1500}, 40, 80, 120));
    const auto bytes = renderPicture(source, orientationNormal, params(0x02, 64, 48, 1));
    EXPECT_GT(source.reads, 4);
    EXPECT_EQ(bytes.size(), 64u * 48 * 2);
}

// A red picture of any size that makes its pixels as they are read, and
// remembers the largest read.
class RedSource : public PictureSource {
public:
    explicit RedSource(Size size) : size_(size) {}
    Size size() override { return size_; }
    void copyPixels(const Rect& rect, std::uint8_t* out) override {
        largestRead = std::max(largestRead, std::size_t{rect.width} * rect.height);
        for (std::size_t i = 0; i < std::size_t{rect.width} * rect.height; ++i, out += 4)
            out[0] = 0, out[1] = 0, out[2] = 255, out[3] = 255;
    }
    std::size_t largestRead = 0;

private:
    Size size_;
};

// Pictures of extreme shape within the pixel budget are read a band at a
// time however long their rows or columns, and still come out right.
TEST(RenderPicture, ExtremeShapesAreReadInBandsOfBoundedSize) {
    constexpr std::size_t band = (1 << 20) / 4;
    RedSource wide({400'000, 1});
    const auto across = renderPicture(wide, orientationNormal, params(0x04, 64, 48, 1));
    EXPECT_LE(wide.largestRead, band);
    EXPECT_EQ(at(across, 64, 0, 23), bgrRed) << "best fit keeps one row, centred";
    EXPECT_EQ(at(across, 64, 63, 23), bgrRed);
    EXPECT_EQ(at(across, 64, 0, 0), bgrBlack);

    RedSource tall({1, 400'000});
    const auto down = renderPicture(tall, orientationNormal, params(0x04, 8, 6, 0));
    EXPECT_LE(tall.largestRead, band);
    EXPECT_EQ(at(down, 8, 0, 0), bgrRed) << "stretched over the whole screen";
    EXPECT_EQ(at(down, 8, 7, 5), bgrRed);
}

} // namespace
} // namespace Korva::QELD
