#include "slideshow/picture/core/render_picture.h"

#include "slideshow/picture/core/area_scaler.h"
#include "slideshow/picture/core/encode_image.h"
#include "slideshow/picture/core/layout_geometry.h"

#include <algorithm>

namespace Korva::QELD {
namespace {

// Pixels read from the decoder at once: about a megabyte.
constexpr std::size_t bandPixels = (1 << 20) / bytesPerPixel;

std::uint32_t bandRows(std::uint32_t width) {
    return static_cast<std::uint32_t>(std::clamp<std::size_t>(bandPixels / width, 1, 4096));
}

// Reads rows wider than a band a band's width at a time, so that a picture
// of extreme shape (100,000,000 x 1) costs a band, not its whole row.
void readWideRows(PictureSource& source, const Rect& rect, Colour background, AreaScaler& scaler) {
    std::vector<std::uint8_t> part(bandPixels * bytesPerPixel);
    for (std::uint32_t y = 0; y < rect.height; ++y) {
        for (std::uint32_t x = 0; x < rect.width; x += bandPixels) {
            const auto count =
                static_cast<std::uint32_t>(std::min<std::size_t>(bandPixels, rect.width - x));
            source.copyPixels({rect.x + x, rect.y + y, count, 1}, part.data());
            compositeOver(part.data(), count, background);
            scaler.pushRowPart(x, part.data(), count);
        }
    }
}

// Reads the rectangle band by band, composites it over the background and
// scales it to `to` as the rows arrive.
Bitmap readScaled(PictureSource& source, const Rect& rect, Size to, Colour background) {
    AreaScaler scaler({rect.width, rect.height}, to);
    if (rect.width > bandPixels) {
        readWideRows(source, rect, background, scaler);
        return scaler.takeResult();
    }
    const std::uint32_t rows = std::min(bandRows(rect.width), rect.height);
    Bitmap band({rect.width, rows});
    for (std::uint32_t y = 0; y < rect.height; y += rows) {
        const std::uint32_t count = std::min(rows, rect.height - y);
        source.copyPixels({rect.x, rect.y + y, rect.width, count}, band.pixels.data());
        compositeOver(band.pixels.data(), std::size_t{rect.width} * count, background);
        for (std::uint32_t row = 0; row < count; ++row)
            scaler.pushRow(band.row(row));
    }
    return scaler.takeResult();
}

} // namespace

Colour borderColour(const ImageParameters& parameters) {
    if (parameters.borderAuto)
        return (parameters.encodingMode & 0x06) == 0 ? white : black;
    return parameters.border == 1 ? white : black;
}

std::vector<std::uint8_t> renderPicture(PictureSource& source, Orientation orientation,
                                        const ImageParameters& parameters) {
    pixelFormatFor(parameters.encodingMode); // refuses a bad mode before any work
    const Colour background = borderColour(parameters);
    const Size screen{parameters.width, parameters.height};
    // A tablet that reports a screen without area gets its empty picture:
    // no part of the picture shows, and an empty crop has no stored place.
    if (screen.width == 0 || screen.height == 0)
        return encodeImage(Bitmap(screen), parameters.encodingMode);
    const Size stored = source.size();
    const LayoutPlan plan =
        layoutImage(orientedSize(stored, orientation), screen, parameters.scale, parameters.clip);
    const Rect rect = storedRect(stored, orientation, plan.crop);
    // Scaling before turning upright reads the stored rows in order; the
    // area average does not depend on the order of the two steps.
    const Size scaledStored = orientedSize(plan.scaled, orientation);
    const Bitmap upright =
        orientBitmap(readScaled(source, rect, scaledStored, background), orientation);
    if (!plan.needsCanvas)
        return encodeImage(upright, parameters.encodingMode);
    Bitmap canvas(screen);
    fillBitmap(canvas, background);
    placeBitmap(canvas, upright, plan.x, plan.y);
    return encodeImage(canvas, parameters.encodingMode);
}

} // namespace Korva::QELD
