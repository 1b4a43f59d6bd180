#include "slideshow/core/image_entry.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace Korva::QELD {
namespace {

// Renders a byte that tells the request apart, and counts the renders.
struct CountingRenderer {
    int* renders;
    bool* fail;

    std::vector<std::uint8_t> operator()(const std::u16string& path,
                                         const ImageParameters& p) const {
        ++*renders;
        if (*fail)
            throw std::runtime_error("cannot decode");
        return {static_cast<std::uint8_t>(path.size()), p.encodingMode,
                static_cast<std::uint8_t>(p.width), static_cast<std::uint8_t>(p.clip)};
    }
};

TEST(ImageEntry, RendersOncePerDistinctParameters) {
    int renders = 0;
    bool fail = false;
    PreparedImages images;
    ImageEntry entry(u"c:\\pics\\a.png", LayoutSettings{0, 2, 0x22, false}, images,
                     CountingRenderer{&renders, &fail});
    const ScreenFormat mono{0x00, 320, 160};
    const ScreenFormat colour{0x04, 800, 480};
    EXPECT_EQ(entry.getImage(mono), (std::vector<std::uint8_t>{13, 0x00, 64, 0x22}));
    EXPECT_EQ(entry.getImage(colour), (std::vector<std::uint8_t>{13, 0x04, 32, 0x22}));
    EXPECT_EQ(entry.getImage(mono), (std::vector<std::uint8_t>{13, 0x00, 64, 0x22}));
    EXPECT_EQ(renders, 2);
    // The same format with the bulk bit is another key: the bytes are equal,
    // but the key holds every field as it came.
    entry.getImage({0x10, 320, 160});
    EXPECT_EQ(renders, 3);
}

TEST(ImageEntry, FailureCachesNothingAndClearForgetsAll) {
    int renders = 0;
    bool fail = true;
    PreparedImages images;
    ImageEntry entry(u"x.gif", LayoutSettings{}, images, CountingRenderer{&renders, &fail});
    const ScreenFormat format{0x02, 640, 480};
    EXPECT_THROW(entry.getImage(format), std::runtime_error);
    EXPECT_THROW(entry.getImage(format), std::runtime_error);
    EXPECT_EQ(renders, 2);
    fail = false;
    entry.getImage(format);
    entry.getImage(format);
    EXPECT_EQ(renders, 3);
    entry.clearCache();
    entry.getImage(format);
    EXPECT_EQ(renders, 4);
}

// The cache of the whole process stays within its limit across pictures and
// screens, dropping the least recently shown; what a dropped picture or a
// removed entry held is given back.
TEST(PreparedImages, DropsTheLeastRecentlyShownPastTheLimit) {
    int renders = 0;
    bool fail = false;
    PreparedImages images(10); // two images of four bytes fit, three do not
    ImageEntry a(u"a", LayoutSettings{}, images, CountingRenderer{&renders, &fail});
    ImageEntry b(u"b", LayoutSettings{}, images, CountingRenderer{&renders, &fail});
    const ScreenFormat screen{0x02, 320, 160};
    a.getImage(screen);
    b.getImage(screen);
    a.getImage(screen); // a is now the more recently shown
    EXPECT_EQ(renders, 2);
    {
        ImageEntry c(u"c", LayoutSettings{}, images, CountingRenderer{&renders, &fail});
        c.getImage(screen);
        EXPECT_EQ(images.bytes(), 8u);
        a.getImage(screen);
        EXPECT_EQ(renders, 3) << "a stayed";
    }
    EXPECT_EQ(images.bytes(), 4u) << "c's image went with its entry";
    b.getImage(screen);
    EXPECT_EQ(renders, 4) << "b was dropped and is rendered again";
    PreparedImages tiny(3);
    ImageEntry big(u"big", LayoutSettings{}, tiny, CountingRenderer{&renders, &fail});
    EXPECT_EQ(big.getImage(screen).size(), 4u) << "too large to hold, still shown";
    EXPECT_EQ(tiny.bytes(), 0u);
}

TEST(ImageParameters, KeyHoldsEveryField) {
    const ScreenFormat format{0x02, 640, 480};
    const ImageParameters base = imageParametersOf(format, LayoutSettings{1, 1, 0x11, false});
    EXPECT_EQ(base, (ImageParameters{0x02, 640, 480, 1, 1, 0x11, 0}));
    EXPECT_NE(base, imageParametersOf(format, LayoutSettings{1, 1, 0x11, true}));
    EXPECT_NE(base, imageParametersOf(format, LayoutSettings{0, 1, 0x11, false}));
    EXPECT_NE(base, imageParametersOf(format, LayoutSettings{1, 2, 0x11, false}));
    EXPECT_NE(base, imageParametersOf(format, LayoutSettings{1, 1, 0x12, false}));
    EXPECT_NE(base, imageParametersOf({0x02, 640, 481}, LayoutSettings{1, 1, 0x11, false}));
}

} // namespace
} // namespace Korva::QELD
