#include "common/com_apartment.h"
#include "slideshow/picture/core/picture_errors.h"
#include "slideshow/core/image_entry.h"
#include "slideshow/picture/core/orientation.h"
#include "slideshow/picture/render_image.h"
#include "tests/support/wine_paths.h"

#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace Korva::QELD {
namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;
using Pixel = std::array<int, 3>; // blue, green, red

constexpr Pixel red{0, 0, 255};
constexpr Pixel blue{255, 0, 0};
constexpr Pixel black{0, 0, 0};
constexpr Pixel white{255, 255, 255};

// The pictures made by make_test_pictures.sh at build time, seen from Wine.
fs::path picture(const char* name) {
    return fs::path(Test::windowsPath(std::string_view(QELD_TEST_PICTURES))) / name;
}

std::u16string pathText(const fs::path& path) {
    return path.u16string();
}

ImageParameters bgr24(std::uint16_t w, std::uint16_t h, std::int32_t scale = 1,
                      bool borderAuto = true, std::int32_t border = 0) {
    return {0x04, w, h, border, scale, 0x11, static_cast<std::uint8_t>(borderAuto)};
}

Pixel at(const Bytes& bgr, int width, int x, int y) {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return {bgr[i], bgr[i + 1], bgr[i + 2]};
}

// Lossy formats land near the colour, not on it.
void expectNear(const Pixel& got, const Pixel& want, int tolerance = 40) {
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(got[c], want[c], tolerance) << "channel " << c;
}

class RenderImage : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("qeld-render-" + std::to_string(::GetCurrentProcessId()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    fs::path write(const char* name, const Bytes& bytes) {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    Win32::ComApartment com_{COINIT_MULTITHREADED};
    fs::path folder_;
};

Bytes readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST_F(RenderImage, DecodesEveryKindAtItsOwnSize) {
    for (const char* name : {"rgb8.png", "rgb16.png", "palette.png", "halves.bmp", "halves.jpg",
                             "pages.tiff", "animated.gif"}) {
        SCOPED_TRACE(name);
        const Bytes bytes = renderImage(pathText(picture(name)), bgr24(40, 20));
        ASSERT_EQ(bytes.size(), 40u * 20 * 3);
        expectNear(at(bytes, 40, 5, 10), red);
        if (std::string(name) != "animated.gif")
            expectNear(at(bytes, 40, 35, 10), blue);
    }
}

TEST_F(RenderImage, TransparencyShowsTheBorderColour) {
    for (const char* name : {"alpha.png", "animated.gif"}) {
        SCOPED_TRACE(name);
        const Bytes autoBlack = renderImage(pathText(picture(name)), bgr24(40, 20));
        EXPECT_EQ(at(autoBlack, 40, 5, 10), red);
        EXPECT_EQ(at(autoBlack, 40, 35, 10), black); // frame 1 (green) is not shown
        const Bytes whiteBorder = renderImage(pathText(picture(name)), bgr24(40, 20, 1, false, 1));
        EXPECT_EQ(at(whiteBorder, 40, 35, 10), white);
    }
}

TEST_F(RenderImage, PaletteBorderIsTheBorderColour) {
    // The frame around a palette picture is black, not a palette entry.
    const Bytes bytes = renderImage(pathText(picture("palette.png")), bgr24(40, 40));
    EXPECT_EQ(at(bytes, 40, 20, 2), black);
    expectNear(at(bytes, 40, 5, 20), red, 0);
}

// The JPEG with an APP1 EXIF block holding the orientation, right after SOI.
Bytes withOrientation(const Bytes& jpeg, std::uint8_t orientation) {
    const Bytes app1{0xFF, 0xE1, 0x00, 0x22, 'E', 'x',         'i', 'f', 0,    0,    'M', 'M',
                     0,    42,   0,    0,    0,   8,           0,   1,   0x01, 0x12, 0,   3,
                     0,    0,    0,    1,    0,   orientation, 0,   0,   0,    0,    0,   0};
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), app1.begin(), app1.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

TEST_F(RenderImage, JpegOrientationTurnsThePhotoUpright) {
    const Bytes plain = readAll(picture("halves.jpg"));
    // A model of the stored picture: red left, blue right.
    Bitmap model({40, 20});
    for (std::uint32_t y = 0; y < 20; ++y)
        for (std::uint32_t x = 0; x < 40; ++x) {
            std::uint8_t* p = model.row(y) + x * 4;
            p[0] = x < 20 ? 0 : 255;
            p[2] = x < 20 ? 255 : 0;
            p[3] = 255;
        }
    for (std::uint8_t o = 1; o <= 8; ++o) {
        SCOPED_TRACE(static_cast<int>(o));
        const fs::path file = write("turned.jpg", withOrientation(plain, o));
        const Bitmap upright = orientBitmap(model, o);
        const auto w = static_cast<std::uint16_t>(upright.size.width);
        const auto h = static_cast<std::uint16_t>(upright.size.height);
        const Bytes bytes = renderImage(pathText(file), bgr24(w, h, 2));
        for (const auto& [x, y] : {std::pair{2u, 2u}, std::pair{w - 3u, h - 3u}}) {
            const std::uint8_t* p = upright.row(y) + x * 4;
            expectNear(at(bytes, w, static_cast<int>(x), static_cast<int>(y)), {p[0], p[1], p[2]});
        }
    }
}

TEST_F(RenderImage, OriginalSizeReadsTheAnchoredPartThroughTheDecoder) {
    // 40 x 20, red left and blue right, on a 10 x 10 screen: the left anchor
    // shows red only, the right anchor blue only.
    ImageParameters left = bgr24(10, 10, 2);
    left.clip = 0x00;
    ImageParameters right = bgr24(10, 10, 2);
    right.clip = 0x22;
    const Bytes leftBytes = renderImage(pathText(picture("halves.bmp")), left);
    const Bytes rightBytes = renderImage(pathText(picture("halves.bmp")), right);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(at(leftBytes, 10, i % 10, i / 10), red);
        ASSERT_EQ(at(rightBytes, 10, i % 10, i / 10), blue);
    }
}

TEST_F(RenderImage, TiffOrientationTurnsThePageUpright) {
    const Bytes bytes = renderImage(pathText(picture("rotated.tiff")), bgr24(20, 40));
    EXPECT_EQ(at(bytes, 20, 10, 5), red);
    EXPECT_EQ(at(bytes, 20, 10, 35), blue);
}

TEST_F(RenderImage, UnreadableFilesRaiseTheDecoderError) {
    const fs::path text = write("notapicture.png", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    for (const fs::path& path : {folder_ / "missing.png", text}) {
        SCOPED_TRACE(path.string());
        try {
            renderImage(pathText(path), bgr24(40, 20));
            ADD_FAILURE() << "no error";
        } catch (const std::system_error& e) {
            EXPECT_STREQ(e.code().category().name(), "HRESULT");
            EXPECT_NE(e.code().value(), 0);
            EXPECT_EQ(
                std::string(e.what()).rfind("IWICBitmapDecoder::CreateDecoderFromFilename", 0), 0u)
                << e.what();
        }
    }
}

TEST_F(RenderImage, HugePicturesAreRefusedBeforeDecoding) {
    // A bitmap header claiming 20000 x 20000 pixels with no pixel data.
    Bytes bmp(54, 0);
    const auto put32 = [&bmp](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, 54);
    put32(10, 54);
    put32(14, 40);
    put32(18, 20000);
    put32(22, 20000);
    bmp[26] = 1;
    bmp[28] = 24;
    const fs::path file = write("huge.bmp", bmp);
    try {
        renderImage(pathText(file), bgr24(40, 20));
        ADD_FAILURE() << "no error";
    } catch (const std::system_error& e) {
        EXPECT_EQ(static_cast<HRESULT>(e.code().value()), WINCODEC_ERR_IMAGESIZEOUTOFRANGE)
            << e.what();
        EXPECT_EQ(describePictureFailure(u"huge.bmp", e).problem,
                  "too large: 20000 x 20000 pixels, more than the limit of 100000000 pixels");
    }
}

TEST_F(RenderImage, OnePictureForEachScreenKind) {
    PreparedImages images;
    ImageEntry whiteEntry(pathText(picture("white.png")), LayoutSettings{}, images, renderImage);
    ImageEntry redEntry(pathText(picture("red.png")), LayoutSettings{}, images, renderImage);
    EXPECT_EQ(whiteEntry.getImage({0x00, 8, 8}), Bytes(8, 0xFF));
    EXPECT_EQ(whiteEntry.getImage({0x12, 8, 8}), Bytes(8 * 8 * 2, 0xFF));
    EXPECT_EQ(whiteEntry.getImage({0x04, 8, 8}), Bytes(8 * 8 * 3, 0xFF));
    const Bytes rgb565 = redEntry.getImage({0x02, 8, 8});
    EXPECT_EQ(rgb565[0], 0xF8);
    EXPECT_EQ(rgb565[1], 0x00);
    EXPECT_EQ(redEntry.getImage({0x14, 16, 4}).size(), 16u * 4 * 3);
    EXPECT_THROW(redEntry.getImage({0x03, 8, 8}), std::out_of_range);
}

TEST_F(RenderImage, SecondRequestDoesNotOpenTheFile) {
    const fs::path copy = folder_ / "red.png";
    fs::copy_file(picture("red.png"), copy);
    PreparedImages images;
    ImageEntry entry(pathText(copy), LayoutSettings{}, images, renderImage);
    const Bytes first = entry.getImage({0x04, 8, 8});
    fs::remove(copy);
    EXPECT_EQ(entry.getImage({0x04, 8, 8}), first);
    EXPECT_THROW(entry.getImage({0x04, 9, 8}), std::system_error);
    EXPECT_THROW(entry.getImage({0x04, 9, 8}), std::system_error); // nothing was cached
}

} // namespace
} // namespace Korva::QELD
