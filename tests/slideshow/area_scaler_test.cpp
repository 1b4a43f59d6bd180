#include "slideshow/picture/core/area_scaler.h"

#include "tests/slideshow/memory_source.h"

#include <gtest/gtest.h>

#include <random>

namespace Korva::QELD {
namespace {

Bitmap checkerboard(Size size) {
    Bitmap bitmap(size);
    for (std::uint32_t y = 0; y < size.height; ++y)
        for (std::uint32_t x = 0; x < size.width; ++x) {
            const std::uint8_t level = (x + y) % 2 ? 255 : 0;
            std::uint8_t* p = bitmap.row(y) + x * 4;
            p[0] = p[1] = p[2] = level;
            p[3] = 255;
        }
    return bitmap;
}

Bitmap noise(Size size, unsigned seed) {
    Bitmap bitmap(size);
    std::mt19937 random(seed);
    for (std::uint8_t& byte : bitmap.pixels)
        byte = static_cast<std::uint8_t>(random());
    return bitmap;
}

TEST(AreaScaler, CheckerboardHalvesToGrey) {
    const Bitmap half = scaleBitmap(checkerboard({64, 48}), {32, 24});
    ASSERT_EQ(half.size, (Size{32, 24}));
    for (std::size_t i = 0; i < half.pixels.size(); ++i)
        ASSERT_EQ(half.pixels[i], i % 4 == 3 ? 255 : 128) << i;
}

TEST(AreaScaler, UnevenRatiosKeepTheMean) {
    // Every output pixel of a 3:2 shrink mixes fractional source pixels; a
    // checkerboard keeps its mean of 127.5 in every one of them.
    const Bitmap scaled = scaleBitmap(checkerboard({300, 90}), {200, 60});
    for (std::uint32_t y = 1; y + 1 < 60; ++y)
        for (std::uint32_t x = 1; x + 1 < 200; ++x)
            ASSERT_NEAR(scaled.row(y)[x * 4], 127.5, 64.0);
    // An area average of a 1000 px ramp over 7 outputs: each value is the
    // mean of its stretch of the ramp.
    Bitmap ramp({1000, 1});
    for (std::uint32_t x = 0; x < 1000; ++x)
        std::fill_n(ramp.pixels.begin() + x * 4, 4, static_cast<std::uint8_t>(x * 255 / 999));
    const Bitmap seven = scaleBitmap(ramp, {7, 1});
    for (std::uint32_t j = 0; j < 7; ++j) {
        const double centre = (j + 0.5) * 1000 / 7 - 0.5;
        EXPECT_NEAR(seven.pixels[j * 4], centre * 255 / 999, 1.5) << j;
    }
}

TEST(AreaScaler, EqualSizeIsBitExact) {
    const Bitmap source = noise({37, 23}, 1);
    EXPECT_EQ(scaleBitmap(source, source.size).pixels, source.pixels);
    // One axis unchanged stays exact along it: a vertical halving of rows
    // made of pairs of equal rows gives those rows back.
    Bitmap doubled({37, 46});
    for (std::uint32_t y = 0; y < 46; ++y)
        std::copy_n(source.row(y / 2), source.stride(), doubled.row(y));
    EXPECT_EQ(scaleBitmap(doubled, source.size).pixels, source.pixels);
}

TEST(AreaScaler, EnlargesSmoothlyWithinTheSourceRange) {
    Bitmap two({2, 1});
    two.pixels = {0, 0, 0, 255, 200, 200, 200, 255};
    const Bitmap wide = scaleBitmap(two, {8, 3});
    ASSERT_EQ(wide.size, (Size{8, 3}));
    EXPECT_EQ(wide.pixels[0], 0);
    EXPECT_EQ(wide.pixels[7 * 4], 200);
    for (std::uint32_t x = 1; x < 8; ++x)
        EXPECT_GE(wide.pixels[x * 4], wide.pixels[(x - 1) * 4]);
    EXPECT_EQ(scaleBitmap(solidBitmap({1, 1}, 9, 8, 7), {5, 4}).pixels,
              solidBitmap({5, 4}, 9, 8, 7).pixels);
}

// The scaled value of one channel computed directly from both axes' weights.
double reference(const Bitmap& source, const AreaScaler::Axis& h, const AreaScaler::Axis& v,
                 std::uint32_t x, std::uint32_t y, int channel) {
    double sum = 0;
    for (std::uint32_t ky = 0; ky < v.count[y]; ++ky)
        for (std::uint32_t kx = 0; kx < h.count[x]; ++kx)
            sum += v.weight(y, ky) * h.weight(x, kx) *
                   source.row(v.first[y] + ky)[(h.first[x] + kx) * 4 + channel];
    return sum;
}

TEST(AreaScaler, RowByRowEqualsTheWholePictureAtOnce) {
    std::mt19937 random(3);
    const auto side = [&random] { return static_cast<std::uint32_t>(1 + random() % 60); };
    for (int round = 0; round < 60; ++round) {
        const Bitmap source = noise({side(), side()}, static_cast<unsigned>(round));
        const Size to{side(), side()};
        const Bitmap scaled = scaleBitmap(source, to);
        const AreaScaler::Axis h = scalerAxis(source.size.width, to.width);
        const AreaScaler::Axis v = scalerAxis(source.size.height, to.height);
        for (std::uint32_t y = 0; y < to.height; ++y)
            for (std::uint32_t x = 0; x < to.width; ++x)
                for (int c = 0; c < 4; ++c)
                    ASSERT_NEAR(scaled.row(y)[x * 4 + c], reference(source, h, v, x, y, c), 0.51)
                        << source.size.width << "x" << source.size.height << " -> " << to.width
                        << "x" << to.height << " at " << x << "," << y;
    }
}

TEST(AreaScaler, EveryAxisWeighsToOneAndCoversTheSource) {
    for (std::uint32_t from = 1; from < 70; ++from)
        for (std::uint32_t to = 1; to < 70; ++to) {
            const AreaScaler::Axis axis = scalerAxis(from, to);
            ASSERT_EQ(axis.first.size(), to);
            for (std::uint32_t j = 0; j < to; ++j) {
                double sum = 0;
                for (std::uint32_t k = 0; k < axis.count[j]; ++k)
                    sum += axis.weight(j, k);
                ASSERT_NEAR(sum, 1.0, 1e-5) << from << " -> " << to << " at " << j;
                ASSERT_LE(axis.first[j] + axis.count[j], from);
                if (j > 0) { // rows can stream in order
                    ASSERT_GE(axis.first[j], axis.first[j - 1]);
                }
            }
        }
}

TEST(AreaScaler, AnySizePairStaysInsideTheSourceRange) {
    std::mt19937 random(7);
    const auto side = [&random] { return static_cast<std::uint32_t>(1 + random() % 40); };
    for (int round = 0; round < 200; ++round) {
        const Size from{side(), side()};
        const Size to{side(), side()};
        const Bitmap out = scaleBitmap(solidBitmap(from, 17, 99, 250), to);
        ASSERT_EQ(out.pixels, solidBitmap(to, 17, 99, 250).pixels)
            << from.width << "x" << from.height << " -> " << to.width << "x" << to.height;
    }
}

} // namespace
} // namespace Korva::QELD
