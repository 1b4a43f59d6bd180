#include "slideshow/area_scaler.h"

#include <algorithm>
#include <cmath>

namespace Korva::QELD {
namespace {

void addTap(AreaScaler::Axis& axis, std::uint32_t source, float weight) {
    if (axis.count.back() == 0)
        axis.first.back() = source;
    axis.weight.push_back(weight);
    ++axis.count.back();
}

void beginPixel(AreaScaler::Axis& axis) {
    axis.first.push_back(0);
    axis.count.push_back(0);
    axis.offset.push_back(static_cast<std::uint32_t>(axis.weight.size()));
}

// Output pixel j covers the source interval [j * from / to, (j + 1) * from / to).
void shrinkAxis(AreaScaler::Axis& axis, std::uint32_t from, std::uint32_t to) {
    const double ratio = static_cast<double>(from) / to;
    for (std::uint32_t j = 0; j < to; ++j) {
        beginPixel(axis);
        const double begin = j * ratio;
        const double end = std::min<double>((j + 1) * ratio, from);
        for (auto i = static_cast<std::uint32_t>(begin); i < from && i < end; ++i) {
            const double covered = std::min<double>(i + 1, end) - std::max<double>(i, begin);
            if (covered > 1e-9)
                addTap(axis, i, static_cast<float>(covered / ratio));
        }
    }
}

// Pixel centres of the output map linearly onto the source; the two nearest
// source pixels are blended.
void enlargeAxis(AreaScaler::Axis& axis, std::uint32_t from, std::uint32_t to) {
    const double ratio = static_cast<double>(from) / to;
    for (std::uint32_t j = 0; j < to; ++j) {
        beginPixel(axis);
        const double centre = std::clamp((j + 0.5) * ratio - 0.5, 0.0, from - 1.0);
        const auto left = static_cast<std::uint32_t>(centre);
        const double fraction = centre - left;
        addTap(axis, left, static_cast<float>(1.0 - fraction));
        if (left + 1 < from && fraction > 0.0)
            addTap(axis, left + 1, static_cast<float>(fraction));
    }
}

std::uint8_t toByte(float value) {
    return static_cast<std::uint8_t>(std::clamp(value + 0.5f, 0.0f, 255.0f));
}

} // namespace

AreaScaler::Axis scalerAxis(std::uint32_t from, std::uint32_t to) {
    AreaScaler::Axis axis;
    if (to < from)
        shrinkAxis(axis, from, to);
    else
        enlargeAxis(axis, from, to); // an equal size gives weight 1 at each pixel
    return axis;
}

AreaScaler::AreaScaler(Size from, Size to)
    : to_(to), horizontal_(scalerAxis(from.width, to.width)),
      vertical_(scalerAxis(from.height, to.height)), result_(to) {}

void AreaScaler::pushRow(const std::uint8_t* row) {
    ScaledRow scaled{nextSourceRow_++, std::vector<float>(std::size_t{to_.width} * 4)};
    float* out = scaled.values.data();
    for (std::uint32_t j = 0; j < to_.width; ++j, out += 4) {
        const std::uint8_t* in = row + std::size_t{horizontal_.first[j]} * 4;
        const float* weight = horizontal_.weight.data() + horizontal_.offset[j];
        float b = 0, g = 0, r = 0, a = 0;
        for (std::uint32_t k = 0; k < horizontal_.count[j]; ++k, in += 4) {
            b += weight[k] * in[0];
            g += weight[k] * in[1];
            r += weight[k] * in[2];
            a += weight[k] * in[3];
        }
        out[0] = b;
        out[1] = g;
        out[2] = r;
        out[3] = a;
    }
    window_.push_back(std::move(scaled));
    emitReadyRows();
}

// Writes every output row whose source rows have all arrived, then lets go
// of the source rows that no later output row needs.
void AreaScaler::emitReadyRows() {
    const std::size_t values = std::size_t{to_.width} * 4;
    while (nextOutputRow_ < to_.height &&
           vertical_.first[nextOutputRow_] + vertical_.count[nextOutputRow_] <= nextSourceRow_) {
        const std::uint32_t j = nextOutputRow_++;
        std::vector<float> sum(values, 0.0f);
        const float* weight = vertical_.weight.data() + vertical_.offset[j];
        for (std::uint32_t k = 0; k < vertical_.count[j]; ++k) {
            const std::uint32_t wanted = vertical_.first[j] + k;
            const std::vector<float>& in = window_[wanted - window_.front().index].values;
            for (std::size_t v = 0; v < values; ++v)
                sum[v] += weight[k] * in[v];
        }
        std::uint8_t* out = result_.row(j);
        for (std::size_t v = 0; v < values; ++v)
            out[v] = toByte(sum[v]);
    }
    const std::uint32_t keepFrom =
        nextOutputRow_ < to_.height ? vertical_.first[nextOutputRow_] : nextSourceRow_;
    while (!window_.empty() && window_.front().index < keepFrom)
        window_.pop_front();
}

Bitmap scaleBitmap(const Bitmap& source, Size to) {
    AreaScaler scaler(source.size, to);
    for (std::uint32_t y = 0; y < source.size.height; ++y)
        scaler.pushRow(source.row(y));
    return scaler.takeResult();
}

} // namespace Korva::QELD
