#pragma once

#include "slideshow/bitmap.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace Korva::QELD {

// Resamples a picture that arrives row by row, so that a large picture never
// has to be in memory whole. Shrinking averages by area (each output pixel is
// the coverage-weighted mean of the source pixels under it, as the Fant
// filter does); enlarging interpolates linearly; an unchanged axis is copied
// exactly.
class AreaScaler {
public:
    AreaScaler(Size from, Size to);

    // The next source row, from.width pixels of BGRA.
    void pushRow(const std::uint8_t* row);

    // The scaled picture, complete once every source row was pushed.
    Bitmap takeResult() { return std::move(result_); }

    // Weights of one axis: output pixel j is the sum over k < count[j] of
    // weight[offset[j] + k] times source pixel first[j] + k.
    struct Axis {
        std::vector<std::uint32_t> first;
        std::vector<std::uint32_t> count;
        std::vector<std::uint32_t> offset;
        std::vector<float> weight;
    };

private:
    struct ScaledRow {
        std::uint32_t index;
        std::vector<float> values;
    };

    void emitReadyRows();

    Size to_;
    Axis horizontal_;
    Axis vertical_;
    std::uint32_t nextSourceRow_ = 0;
    std::uint32_t nextOutputRow_ = 0;
    std::deque<ScaledRow> window_;
    Bitmap result_;
};

// The weights that map an axis of `from` pixels onto `to` pixels.
AreaScaler::Axis scalerAxis(std::uint32_t from, std::uint32_t to);

// The whole picture at once.
Bitmap scaleBitmap(const Bitmap& source, Size to);

} // namespace Korva::QELD
