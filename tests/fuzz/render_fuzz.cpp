#include "slideshow/picture/core/encode_image.h"
#include "slideshow/picture/core/layout_geometry.h"
#include "slideshow/picture/core/render_picture.h"
#include "tests/fuzz/fuzz_check.h"

#include <array>
#include <cstdint>

using namespace Korva::QELD;
using Korva::Fuzz::check;

namespace {

// A decoded picture of any size whose pixels follow from a seed; it refuses
// any rectangle that does not lie inside it.
class SyntheticSource : public PictureSource {
public:
    SyntheticSource(Size size, std::uint32_t seed) : size_(size), seed_(seed) {}

    Size size() override { return size_; }

    void copyPixels(const Rect& rect, std::uint8_t* out) override {
        check(rect.width > 0 && rect.height > 0, "a read asks for pixels");
        check(rect.x + rect.width <= size_.width && rect.y + rect.height <= size_.height,
              "a read lies inside the picture");
        for (std::uint32_t y = rect.y; y < rect.y + rect.height; ++y)
            for (std::uint32_t x = rect.x; x < rect.x + rect.width; ++x) {
                const std::uint32_t v = (x * 2654435761u) ^ (y * 40503u) ^ seed_;
                for (int i = 0; i < 4; ++i)
                    *out++ = static_cast<std::uint8_t>(v >> (8 * i));
            }
    }

private:
    Size size_;
    std::uint32_t seed_;
};

// The encoding modes a tablet can be given, the bulk pipe's among them.
constexpr std::array<std::uint8_t, 6> encodingModes{0x00, 0x02, 0x04, 0x10, 0x12, 0x14};

std::size_t screenBytes(const ImageParameters& p) {
    switch (pixelFormatFor(p.encodingMode)) {
    case PixelFormat::Monochrome:
        return std::size_t{p.height} * ((p.width + 7) / 8);
    case PixelFormat::Rgb565:
        return std::size_t{p.height} * p.width * 2;
    default:
        return std::size_t{p.height} * p.width * 3;
    }
}

void checkPlan(Size picture, const ImageParameters& p) {
    const Size screen{p.width, p.height};
    const LayoutPlan plan = layoutImage(picture, screen, p.scale, p.clip);
    check(plan.crop.x + plan.crop.width <= picture.width &&
              plan.crop.y + plan.crop.height <= picture.height,
          "the crop lies inside the picture");
    if (!plan.needsCanvas)
        check(plan.scaled == screen, "without a canvas the picture fills the screen");
    else
        check(plan.x + plan.scaled.width <= screen.width &&
                  plan.y + plan.scaled.height <= screen.height,
              "the placed picture lies inside the screen");
}

// The input is a fixed record, so that seeds can be written by hand: picture
// width and height (u16 each), orientation (u8), mode (u8), screen width and
// height (u16 each), border and scale (i32 each), clip and "Auto" (u8 each)
// and the pixel seed (u32), all little-endian. Sizes are folded into pictures
// of up to 640 pixels a side and screens up to 800 x 600, which hold every
// model's screen (the largest is 800 x 480) and keep tens of runs a second.
// The height may be 0: only a zero width keeps a tablet from being served.
struct RenderCase {
    Size picture;
    Orientation orientation;
    ImageParameters parameters;
    std::uint32_t seed;
};

class RecordReader {
public:
    RecordReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint32_t next(std::size_t bytes) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < bytes; ++i, ++at_)
            value |= std::uint32_t{at_ < size_ ? data_[at_] : std::uint8_t{0}} << (8 * i);
        return value;
    }

    std::uint32_t folded(std::size_t bytes, std::uint32_t low, std::uint32_t high) {
        return low + next(bytes) % (high - low + 1);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

RenderCase readCase(const std::uint8_t* data, std::size_t size) {
    RecordReader in(data, size);
    RenderCase c;
    c.picture = {in.folded(2, 1, 640), in.folded(2, 1, 640)};
    c.orientation = static_cast<Orientation>(in.folded(1, 1, 8));
    c.parameters.encodingMode = encodingModes[in.next(1) % encodingModes.size()];
    c.parameters.width = static_cast<std::uint16_t>(in.folded(2, 1, 800));
    c.parameters.height = static_cast<std::uint16_t>(in.folded(2, 0, 600));
    c.parameters.border = static_cast<std::int32_t>(in.next(4));
    c.parameters.scale = static_cast<std::int32_t>(in.next(4));
    c.parameters.clip = static_cast<std::uint8_t>(in.next(1));
    c.parameters.borderAuto = static_cast<std::uint8_t>(in.next(1) & 1);
    c.seed = in.next(4);
    return c;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const RenderCase c = readCase(data, size);
    checkPlan(orientedSize(c.picture, c.orientation), c.parameters);
    SyntheticSource source(c.picture, c.seed);
    const auto bytes = renderPicture(source, c.orientation, c.parameters);
    check(bytes.size() == screenBytes(c.parameters),
          "the output is exactly one screen in its format");
    return 0;
}
