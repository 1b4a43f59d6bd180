#include "slideshow/picture/core/encode_image.h"
#include "tests/fuzz/fuzz_check.h"
#include "tools/vtablet/model/pixel_decode.h"
#include "tools/vtablet/model/tablet_model.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace Korva;
using Korva::Fuzz::check;

namespace {

constexpr std::array<std::uint8_t, 6> encodingModes{0x00, 0x02, 0x04, 0x10, 0x12, 0x14};

// How far a channel of `bits` may arrive from what was sent: half a step of
// the rounding to the format's levels, and one more for widening back.
int tolerance(QELD::PixelFormat format, int bits) {
    return format == QELD::PixelFormat::Rgb565 ? (255 / ((1 << bits) - 1) + 1) / 2 + 1 : 0;
}

bool near(std::uint8_t received, std::uint8_t sent, int allowed) {
    return std::abs(int{received} - int{sent}) <= allowed;
}

// A screen-sized picture encoded by the product decodes on the virtual tablet
// to the same pixels, as far as the format carries them: exactly in 24 bits,
// to the nearest level in 16 bits, and black or white exactly in 1 bit (where
// dithering has no error to spread).
void checkPixelRoundTrip(FuzzedDataProvider& input) {
    const std::uint8_t mode = input.PickValueInArray(encodingModes);
    const QELD::Size size{input.ConsumeIntegralInRange<std::uint32_t>(1, 48),
                          input.ConsumeIntegralInRange<std::uint32_t>(1, 48)};
    const auto format = QELD::pixelFormatFor(mode);
    QELD::Bitmap bitmap(size);
    for (std::size_t i = 0; i < bitmap.pixels.size(); i += 4) {
        for (std::size_t c = 0; c < 3; ++c)
            bitmap.pixels[i + c] = input.ConsumeIntegral<std::uint8_t>();
        if (format == QELD::PixelFormat::Monochrome)
            bitmap.pixels[i] = bitmap.pixels[i + 1] = bitmap.pixels[i + 2] =
                bitmap.pixels[i] & 1 ? 255 : 0;
        bitmap.pixels[i + 3] = 255;
    }
    const auto encoded = QELD::encodeImage(bitmap, mode);
    check(encoded.size() == VTablet::imageBytes(mode, size.width, size.height),
          "the tablet expects as many bytes as the product sends");
    std::vector<std::uint8_t> screen(std::size_t{size.width} * size.height * 3);
    VTablet::decodeImage(mode, encoded.data(), size.width, size.height, screen.data());
    for (std::size_t p = 0; p < screen.size() / 3; ++p) {
        const std::uint8_t* bgra = &bitmap.pixels[p * 4];
        const std::uint8_t* rgb = &screen[p * 3];
        check(near(rgb[0], bgra[2], tolerance(format, 5)) &&
                  near(rgb[1], bgra[1], tolerance(format, 6)) &&
                  near(rgb[2], bgra[0], tolerance(format, 5)),
              "every pixel arrives as sent, to the format's precision");
    }
}

// Whatever a host sends, the tablet's reports stay inside their buffers and
// its transfer never outgrows the receive buffer.
void checkReports(FuzzedDataProvider& input) {
    VTablet::TabletSetup setup{};
    setup.productId = 0x0C16;
    setup.width = input.ConsumeIntegralInRange<std::uint16_t>(1, 64);
    setup.height = input.ConsumeIntegralInRange<std::uint16_t>(1, 64);
    setup.bulk = input.ConsumeBool();
    setup.composite = input.ConsumeBool();
    setup.busyPolls = input.ConsumeIntegralInRange<std::uint32_t>(0, 4);
    const std::uint32_t capacity =
        VTablet::TabletModel::screenBufferBytes(setup.width, setup.height);
    std::vector<std::uint8_t> receive(capacity);
    std::vector<std::uint8_t> screen(capacity);
    VTablet::TabletModel model;
    model.reset(setup, receive.data(), screen.data());
    VTablet::Faults faults{};
    faults.holdStatus = input.ConsumeIntegralInRange<std::uint8_t>(0, 1);
    faults.heldStatus = input.ConsumeIntegral<std::uint8_t>();
    faults.pullInTransfer = input.ConsumeIntegralInRange<std::uint8_t>(0, 1);
    faults.refuseCount = input.ConsumeIntegralInRange<std::uint32_t>(0, 2);
    model.setFaults(faults);
    while (input.remaining_bytes() > 0) {
        const int op = input.ConsumeIntegralInRange(0, 4);
        auto report = input.ConsumeBytes<std::uint8_t>(
            input.ConsumeIntegralInRange<std::size_t>(0, op == 1 ? 2600 : 64));
        const auto length = static_cast<std::uint32_t>(report.size());
        if (op == 0 && length > 0)
            model.getFeature(report.data(), length);
        else if (op == 1)
            model.setFeature(report.data(), length);
        else if (op == 2)
            model.writeBulk(report.data(), length);
        else if (op == 3 && length > 0)
            model.queueInput(report.data(), length);
        else if (op == 4) {
            std::array<std::uint8_t, VTablet::inputReportLength> taken{};
            model.takeInput(taken.data());
        }
        const auto& state = model.state();
        check(state.received <= capacity, "a transfer stays inside the receive buffer");
        check(state.status == 0 || state.status == 1 || state.status == 4,
              "the tablet's own Status is 0, 1 or 4");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool())
        checkPixelRoundTrip(input);
    else
        checkReports(input);
    return 0;
}
