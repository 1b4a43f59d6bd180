#include "slideshow/picture/core/area_scaler.h"

#include <algorithm>
#include <cmath>

namespace Korva::QELD {
namespace {

void addTap(AreaScaler::Axis& axis, std::uint32_t source, float weight) {
    if (axis.count.back() == 0) {
        axis.first.back() = source;
        axis.head.back() = weight;
    }
    axis.tail.back() = weight;
    ++axis.count.back();
}

void beginPixel(AreaScaler::Axis& axis) {
    axis.first.push_back(0);
    axis.count.push_back(0);
    axis.head.push_back(0);
    axis.tail.push_back(0);
}

// Output pixel j covers the source interval [j * from / to, (j + 1) * from / to).
// Source pixels wholly inside it weigh 1 / ratio each.
void shrinkAxis(AreaScaler::Axis& axis, std::uint32_t from, std::uint32_t to) {
    const double ratio = static_cast<double>(from) / to;
    axis.inner = static_cast<float>(1.0 / ratio);
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

// Adds taps begin to end - 1 of output pixel j, the source pixels starting
// at `in`; the taps between the first and the last share one weight, which
// keeps the inner loop free of lookups. The sums stay in registers.
void addTaps(const AreaScaler::Axis& axis, std::uint32_t j, std::uint32_t begin, std::uint32_t end,
             const std::uint8_t* in, float* out) {
    float b = out[0], g = out[1], r = out[2], a = out[3];
    const auto add = [&](float weight) {
        b += weight * in[0];
        g += weight * in[1];
        r += weight * in[2];
        a += weight * in[3];
        in += 4;
    };
    std::uint32_t k = begin;
    if (k == 0 && k < end) {
        add(axis.head[j]);
        ++k;
    }
    const std::uint32_t last = axis.count[j] - 1;
    for (; k < end && k < last; ++k)
        add(axis.inner);
    if (k < end)
        add(axis.tail[j]);
    out[0] = b;
    out[1] = g;
    out[2] = r;
    out[3] = a;
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
    : from_(from), to_(to), horizontal_(scalerAxis(from.width, to.width)),
      vertical_(scalerAxis(from.height, to.height)), scaled_(std::size_t{to.width} * 4),
      result_(to) {}

void AreaScaler::pushRowPart(std::uint32_t x, const std::uint8_t* pixels, std::uint32_t count) {
    if (x == 0) {
        std::fill(scaled_.begin(), scaled_.end(), 0.0f);
        partOutput_ = 0;
    }
    const std::uint32_t end = x + count;
    const Axis& axis = horizontal_;
    for (std::uint32_t j = partOutput_; j < to_.width && axis.first[j] < end; ++j) {
        const std::uint32_t from = std::max(axis.first[j], x);
        const std::uint32_t to = std::min(axis.first[j] + axis.count[j], end);
        addTaps(axis, j, from - axis.first[j], to - axis.first[j],
                pixels + std::size_t{from - x} * 4, scaled_.data() + std::size_t{j} * 4);
    }
    while (partOutput_ < to_.width && axis.first[partOutput_] + axis.count[partOutput_] <= end)
        ++partOutput_;
    if (end == from_.width)
        addScaledRow();
}

// Adds the scaled source row to every output row it weighs in, and writes
// the output rows it completes.
void AreaScaler::addScaledRow() {
    const std::uint32_t row = nextSourceRow_++;
    const Axis& axis = vertical_;
    for (std::uint32_t j = nextOutputRow_; j < to_.height && axis.first[j] <= row; ++j) {
        if (row >= axis.first[j] + axis.count[j])
            continue;
        const std::size_t pending = j - nextOutputRow_;
        while (sums_.size() <= pending)
            sums_.emplace_back(scaled_.size(), 0.0f);
        const float weight = axis.weight(j, row - axis.first[j]);
        float* const sum = sums_[pending].data();
        const float* const scaled = scaled_.data();
        const std::size_t values = scaled_.size();
        for (std::size_t v = 0; v < values; ++v)
            sum[v] += weight * scaled[v];
    }
    while (nextOutputRow_ < to_.height &&
           axis.first[nextOutputRow_] + axis.count[nextOutputRow_] <= nextSourceRow_) {
        std::uint8_t* out = result_.row(nextOutputRow_++);
        if (!sums_.empty()) {
            for (const float value : sums_.front())
                *out++ = toByte(value);
            sums_.pop_front();
        }
    }
}

Bitmap scaleBitmap(const Bitmap& source, Size to) {
    AreaScaler scaler(source.size, to);
    for (std::uint32_t y = 0; y < source.size.height; ++y)
        scaler.pushRow(source.row(y));
    return scaler.takeResult();
}

} // namespace Korva::QELD
