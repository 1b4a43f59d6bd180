#include "tools/vtablet/core/png_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Korva::VTablet;

namespace {

uint32_t big32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

// Undoes the stored deflate blocks of the IDAT chunk.
std::vector<uint8_t> inflateStored(const std::vector<uint8_t>& z) {
    std::vector<uint8_t> out;
    size_t at = 2;
    for (bool last = false; !last;) {
        last = z.at(at) & 1;
        const size_t n = z.at(at + 1) | size_t{z.at(at + 2)} << 8;
        EXPECT_EQ((n ^ 0xFFFF), (z.at(at + 3) | size_t{z.at(at + 4)} << 8));
        out.insert(out.end(), z.begin() + at + 5, z.begin() + at + 5 + n);
        at += 5 + n;
    }
    EXPECT_EQ(at + 4, z.size());
    return out;
}

} // namespace

TEST(VTabletPng, WritesRowsWithFilterBytesAcrossSeveralBlocks) {
    const uint32_t width = 200, height = 120; // more than one 64 KiB block
    std::vector<uint8_t> rgb(width * height * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i % 251);
    const std::vector<uint8_t> png = encodePng(rgb.data(), width, height);
    ASSERT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    EXPECT_EQ(big32(png, 16), width);
    EXPECT_EQ(big32(png, 20), height);
    EXPECT_EQ(big32(png, 29), 0x38F02ABCu) << "CRC of this IHDR";
    const size_t idat = 33;
    ASSERT_EQ(std::string(png.begin() + idat + 4, png.begin() + idat + 8), "IDAT");
    const std::vector<uint8_t> z(png.begin() + idat + 8, png.begin() + idat + 8 + big32(png, idat));
    const std::vector<uint8_t> raw = inflateStored(z);
    ASSERT_EQ(raw.size(), size_t{height} * (width * 3 + 1));
    EXPECT_EQ(raw[0], 0);
    EXPECT_EQ(raw[width * 3 + 1], 0) << "filter byte of row 1";
    EXPECT_EQ(raw[width * 3 + 2], rgb[width * 3]);
    EXPECT_EQ(std::string(png.end() - 8, png.end() - 4), "IEND");
}

TEST(VTabletPng, PpmHasHeaderAndPixels) {
    const std::vector<uint8_t> rgb{1, 2, 3, 4, 5, 6};
    const std::vector<uint8_t> ppm = encodePpm(rgb.data(), 2, 1);
    EXPECT_EQ(std::string(ppm.begin(), ppm.begin() + 11), "P6\n2 1\n255\n");
    EXPECT_EQ(std::vector<uint8_t>(ppm.begin() + 11, ppm.end()), rgb);
}
