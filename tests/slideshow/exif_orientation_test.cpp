#include "slideshow/picture/core/exif_orientation.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace Korva::QELD {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Entry {
    std::uint16_t tag, type;
    std::uint32_t count, value;
};

void put16(Bytes& out, bool little, std::uint32_t v) {
    if (little)
        out.insert(out.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
    else
        out.insert(out.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
}

void put32(Bytes& out, bool little, std::uint32_t v) {
    put16(out, little, little ? v & 0xFFFF : v >> 16);
    put16(out, little, little ? v >> 16 : v & 0xFFFF);
}

// A TIFF structure with one directory right after the header. Short values
// sit left-aligned in the value field, as the format stores them.
Bytes tiff(bool little, const std::vector<Entry>& entries, std::uint32_t ifd = 8) {
    Bytes out = little ? Bytes{'I', 'I'} : Bytes{'M', 'M'};
    put16(out, little, 42);
    put32(out, little, ifd);
    put16(out, little, static_cast<std::uint32_t>(entries.size()));
    for (const Entry& e : entries) {
        put16(out, little, e.tag);
        put16(out, little, e.type);
        put32(out, little, e.count);
        put16(out, little, e.value);
        put16(out, little, 0);
    }
    put32(out, little, 0);
    return out;
}

Bytes segment(std::uint8_t marker, const Bytes& payload) {
    Bytes out{0xFF, marker};
    put16(out, false, static_cast<std::uint32_t>(payload.size() + 2));
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

Bytes exifPayload(const Bytes& tiffBytes) {
    Bytes out{'E', 'x', 'i', 'f', 0, 0};
    out.insert(out.end(), tiffBytes.begin(), tiffBytes.end());
    return out;
}

// SOI, a JFIF APP0, the given segments, then the start of scan.
Bytes jpeg(const std::vector<Bytes>& segments) {
    Bytes out{0xFF, 0xD8};
    const Bytes app0 = segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    out.insert(out.end(), app0.begin(), app0.end());
    for (const Bytes& s : segments)
        out.insert(out.end(), s.begin(), s.end());
    const Bytes sos = segment(0xDA, {1, 1, 0, 0, 63, 0});
    out.insert(out.end(), sos.begin(), sos.end());
    return out;
}

Bytes jpegWithOrientation(std::uint16_t value, bool little = true) {
    return jpeg({segment(
        0xE1, exifPayload(tiff(
                  little, {{0x010F, 2, 4, 0x4142}, {274, 3, 1, value}, {0x0131, 2, 4, 0x4344}})))});
}

TEST(ExifOrientation, ReadsEveryValueInBothByteOrders) {
    for (std::uint16_t value = 1; value <= 8; ++value) {
        EXPECT_EQ(jpegOrientation(jpegWithOrientation(value, true)), value);
        EXPECT_EQ(jpegOrientation(jpegWithOrientation(value, false)), value);
        EXPECT_EQ(tiffOrientation(tiff(false, {{274, 3, 1, value}})), value);
    }
}

TEST(ExifOrientation, FindsExifAmongOtherSegments) {
    const Bytes xmp = segment(0xE1, {'h', 't', 't', 'p', ':', '/', '/', 'n', 's'});
    const Bytes exif = segment(0xE1, exifPayload(tiff(true, {{274, 3, 1, 6}})));
    EXPECT_EQ(jpegOrientation(jpeg({xmp, exif})), 6);
    // Fill bytes before a marker are allowed.
    Bytes filled = jpeg({exif});
    filled.insert(filled.begin() + 2, {0xFF, 0xFF});
    EXPECT_EQ(jpegOrientation(filled), 6);
    // A directory placed after other data is followed through its offset.
    Bytes late = tiff(true, {{274, 3, 1, 8}}, 20);
    late.insert(late.begin() + 8, 12, 0xEE);
    EXPECT_EQ(jpegOrientation(jpeg({segment(0xE1, exifPayload(late))})), 8);
}

TEST(ExifOrientation, MissingOrMalformedTagsMeanNormal) {
    const auto oneEntry = [](Entry e) {
        return jpegOrientation(jpeg({segment(0xE1, exifPayload(tiff(true, {e})))}));
    };
    EXPECT_EQ(oneEntry({274, 3, 1, 0}), orientationNormal);
    EXPECT_EQ(oneEntry({274, 3, 1, 9}), orientationNormal);
    EXPECT_EQ(oneEntry({274, 4, 1, 6}), orientationNormal); // LONG, not SHORT
    EXPECT_EQ(oneEntry({274, 3, 2, 6}), orientationNormal);
    EXPECT_EQ(oneEntry({275, 3, 1, 6}), orientationNormal);
    EXPECT_EQ(jpegOrientation(jpeg({})), orientationNormal);
    // After the start of scan nothing is searched.
    Bytes late = jpeg({});
    const Bytes exif = segment(0xE1, exifPayload(tiff(true, {{274, 3, 1, 6}})));
    late.insert(late.end(), exif.begin(), exif.end());
    EXPECT_EQ(jpegOrientation(late), orientationNormal);
    EXPECT_EQ(jpegOrientation(Bytes{0x89, 'P', 'N', 'G'}), orientationNormal);
    EXPECT_EQ(jpegOrientation(Bytes{}), orientationNormal);
}

TEST(ExifOrientation, HostileOffsetsAndLengthsAreRefused) {
    Bytes farDirectory = tiff(true, {{274, 3, 1, 6}}, 0xFFFFFFF0u);
    EXPECT_EQ(tiffOrientation(farDirectory), orientationNormal);
    Bytes manyEntries = tiff(true, {{274, 3, 1, 6}});
    manyEntries[8] = manyEntries[9] = 0xFF; // 65535 entries claimed
    EXPECT_EQ(tiffOrientation(manyEntries), orientationNormal);
    Bytes badMagic = tiff(true, {{274, 3, 1, 6}});
    badMagic[2] = 43;
    EXPECT_EQ(tiffOrientation(badMagic), orientationNormal);
    for (const std::uint16_t length : {0, 1, 0xFFFF}) {
        Bytes j = jpegWithOrientation(6);
        j[22] = static_cast<std::uint8_t>(length >> 8); // the APP1 length after APP0
        j[23] = static_cast<std::uint8_t>(length);
        EXPECT_EQ(jpegOrientation(j), orientationNormal) << length;
    }
}

TEST(ExifOrientation, EveryTruncationIsSafe) {
    const Bytes whole = jpegWithOrientation(3, false);
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const Bytes prefix(whole.begin(), whole.begin() + n);
        const Orientation o = jpegOrientation(prefix);
        EXPECT_TRUE(o == orientationNormal || o == 3) << n;
    }
    // Cut inside the EXIF segment: its length points past the end.
    EXPECT_EQ(jpegOrientation(Bytes(whole.begin(), whole.begin() + 40)), orientationNormal);
}

// tests/fuzz/exif_orientation_fuzz checks the same ranges coverage-guided and
// at length; this stays as the quick check of every native test run.
TEST(ExifOrientation, RandomMutationsStayInRange) {
    std::mt19937 random(42);
    const Bytes seed = jpegWithOrientation(5, true);
    for (int round = 0; round < 20000; ++round) {
        Bytes data = seed;
        const int edits = 1 + random() % 8;
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % data.size();
            switch (random() % 3) {
            case 0:
                data[at] = static_cast<std::uint8_t>(random());
                break;
            case 1:
                data.resize(at + 1);
                break;
            default:
                data.insert(data.begin() + at, static_cast<std::uint8_t>(random()));
            }
        }
        const Orientation o = jpegOrientation(data);
        ASSERT_TRUE(o >= 1 && o <= 8);
        const Orientation t =
            tiffOrientation(std::span(data).subspan(std::min<std::size_t>(data.size(), 30)));
        ASSERT_TRUE(t >= 1 && t <= 8);
    }
    for (int round = 0; round < 2000; ++round) {
        Bytes data(random() % 200);
        for (std::uint8_t& b : data)
            b = static_cast<std::uint8_t>(random());
        if (data.size() >= 2) {
            data[0] = 0xFF;
            data[1] = 0xD8;
        }
        const Orientation o = jpegOrientation(data);
        ASSERT_TRUE(o >= 1 && o <= 8);
    }
}

} // namespace
} // namespace Korva::QELD
