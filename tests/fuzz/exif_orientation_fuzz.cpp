#include "slideshow/picture/core/exif_orientation.h"
#include "tests/fuzz/fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <span>
#include <vector>

using namespace Korva::QELD;
using Korva::Fuzz::check;

namespace {

class TiffWriter {
public:
    explicit TiffWriter(bool bigEndian) : big_(bigEndian) {
        bytes.push_back(big_ ? 'M' : 'I');
        bytes.push_back(big_ ? 'M' : 'I');
        u16(42);
        u32(8);
    }

    void u16(std::uint16_t v) {
        put(static_cast<std::uint8_t>(big_ ? v >> 8 : v));
        put(static_cast<std::uint8_t>(big_ ? v : v >> 8));
    }

    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(big_ ? v >> 16 : v));
        u16(static_cast<std::uint16_t>(big_ ? v : v >> 16));
    }

    // A short-typed entry with one value, which sits in the value field.
    void entry(std::uint16_t tag, std::uint16_t value) {
        u16(tag);
        u16(3);
        u32(1);
        u16(value);
        u16(0);
    }

    std::vector<std::uint8_t> bytes;

private:
    void put(std::uint8_t b) { bytes.push_back(b); }
    bool big_;
};

// A well-formed TIFF block whose first directory holds other tags and then
// the orientation: reading it must give the value back whenever it is valid.
void checkRoundTrip(FuzzedDataProvider& input) {
    const bool big = input.ConsumeBool();
    const auto others = input.ConsumeIntegralInRange<std::uint16_t>(0, 8);
    const auto value = input.ConsumeIntegral<std::uint16_t>();
    TiffWriter tiff(big);
    tiff.u16(static_cast<std::uint16_t>(others + 1));
    for (std::uint16_t i = 0; i < others; ++i)
        tiff.entry(static_cast<std::uint16_t>(275 + i), input.ConsumeIntegral<std::uint16_t>());
    tiff.entry(274, value);
    tiff.u32(0);
    const Orientation expected = value >= 1 && value <= 8 ? value : orientationNormal;
    check(tiffOrientation(tiff.bytes) == expected, "a written TIFF orientation reads back");

    // The same block as the EXIF segment of a JPEG head, after an APP0
    // segment of arbitrary bytes.
    const auto app0 = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 64));
    std::vector<std::uint8_t> jpeg{0xFF, 0xD8, 0xFF, 0xE0};
    jpeg.push_back(static_cast<std::uint8_t>((app0.size() + 2) >> 8));
    jpeg.push_back(static_cast<std::uint8_t>(app0.size() + 2));
    jpeg.insert(jpeg.end(), app0.begin(), app0.end());
    const std::size_t exifLength = 2 + 6 + tiff.bytes.size();
    jpeg.insert(jpeg.end(), {0xFF, 0xE1, static_cast<std::uint8_t>(exifLength >> 8),
                             static_cast<std::uint8_t>(exifLength), 'E', 'x', 'i', 'f', 0, 0});
    jpeg.insert(jpeg.end(), tiff.bytes.begin(), tiff.bytes.end());
    check(jpegOrientation(jpeg) == expected, "a JPEG's EXIF orientation reads back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The fuzzer hands over an exactly sized buffer: the address sanitizer
    // sees any read past its end.
    const std::span<const std::uint8_t> bytes(data, size);
    const Orientation tiff = tiffOrientation(bytes);
    check(tiff >= 1 && tiff <= 8, "TIFF orientation is one of the eight codes");
    const Orientation jpeg = jpegOrientation(bytes);
    check(jpeg >= 1 && jpeg <= 8, "JPEG orientation is one of the eight codes");
    FuzzedDataProvider input(data, size);
    checkRoundTrip(input);
    return 0;
}
