#include "slideshow/picture/core/exif_orientation.h"

#include <cstring>

namespace Korva::QELD {
namespace {

constexpr std::uint16_t orientationTag = 274;
constexpr std::uint16_t typeShort = 3;
constexpr std::size_t ifdEntrySize = 12;

class TiffReader {
public:
    explicit TiffReader(std::span<const std::uint8_t> data) : data_(data) {}

    bool readByteOrder() {
        if (data_.size() < 8)
            return false;
        if (data_[0] == 'I' && data_[1] == 'I')
            little_ = true;
        else if (data_[0] == 'M' && data_[1] == 'M')
            little_ = false;
        else
            return false;
        return u16(2) == 42;
    }

    bool fits(std::size_t offset, std::size_t length) const {
        return offset <= data_.size() && length <= data_.size() - offset;
    }

    std::uint16_t u16(std::size_t at) const {
        return little_ ? static_cast<std::uint16_t>(data_[at] | data_[at + 1] << 8)
                       : static_cast<std::uint16_t>(data_[at] << 8 | data_[at + 1]);
    }

    std::uint32_t u32(std::size_t at) const {
        const std::uint32_t a = u16(at);
        const std::uint32_t b = u16(at + 2);
        return little_ ? (b << 16 | a) : (a << 16 | b);
    }

private:
    std::span<const std::uint8_t> data_;
    bool little_ = true;
};

Orientation valid(std::uint16_t value) {
    return value >= 1 && value <= 8 ? value : orientationNormal;
}

bool isExifSegment(std::span<const std::uint8_t> segment) {
    static constexpr std::uint8_t signature[] = {'E', 'x', 'i', 'f', 0, 0};
    return segment.size() >= sizeof signature &&
           std::memcmp(segment.data(), signature, sizeof signature) == 0;
}

} // namespace

Orientation tiffOrientation(std::span<const std::uint8_t> tiff) {
    TiffReader reader(tiff);
    if (!reader.readByteOrder())
        return orientationNormal;
    const std::uint32_t ifd = reader.u32(4);
    if (!reader.fits(ifd, 2))
        return orientationNormal;
    const std::uint16_t count = reader.u16(ifd);
    if (!reader.fits(ifd + 2, std::size_t{count} * ifdEntrySize))
        return orientationNormal;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = ifd + 2 + i * ifdEntrySize;
        if (reader.u16(entry) != orientationTag)
            continue;
        if (reader.u16(entry + 2) != typeShort || reader.u32(entry + 4) != 1)
            return orientationNormal;
        return valid(reader.u16(entry + 8));
    }
    return orientationNormal;
}

Orientation jpegOrientation(std::span<const std::uint8_t> head) {
    if (head.size() < 2 || head[0] != 0xFF || head[1] != 0xD8)
        return orientationNormal;
    std::size_t at = 2;
    while (at + 4 <= head.size()) {
        if (head[at] != 0xFF)
            return orientationNormal;
        const std::uint8_t marker = head[at + 1];
        if (marker == 0xFF) { // fill byte before a marker
            ++at;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) // end of image, start of scan
            return orientationNormal;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length
            at += 2;
            continue;
        }
        const std::size_t length = std::size_t{head[at + 2]} << 8 | head[at + 3];
        if (length < 2 || length > head.size() - at - 2)
            return orientationNormal;
        const auto segment = head.subspan(at + 4, length - 2);
        if (marker == 0xE1 && isExifSegment(segment)) {
            const Orientation found = tiffOrientation(segment.subspan(6));
            if (found != orientationNormal)
                return found;
        }
        at += 2 + length;
    }
    return orientationNormal;
}

} // namespace Korva::QELD
