#pragma once

#include "slideshow/picture/core/bitmap.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace Korva::QELD {

// Resamples a picture that arrives row by row, and a very wide row in parts,
// so that a large picture never has to be in memory whole: besides the
// result it holds one horizontally scaled row and the output rows still
// being summed (two when shrinking), whatever the shape of the picture.
// Shrinking averages by area (each output pixel is the coverage-weighted mean
// of the source pixels under it, as the Fant filter does); enlarging
// interpolates linearly; an unchanged axis is copied exactly.
class AreaScaler {
public:
    AreaScaler(Size from, Size to);

    // The next source row, from.width pixels of BGRA.
    void pushRow(const std::uint8_t* row) { pushRowPart(0, row, from_.width); }

    // Pixels x to x + count - 1 of the next source row; the parts of a row
    // come in order, and the row is complete with its last pixel.
    void pushRowPart(std::uint32_t x, const std::uint8_t* pixels, std::uint32_t count);

    // The scaled picture, complete once every source row was pushed.
    Bitmap takeResult() { return std::move(result_); }

    // Weights of one axis: output pixel j is the sum over k < count[j] of
    // weight(j, k) times source pixel first[j] + k. Every tap between the
    // first and the last of a pixel weighs the same, so that the weights
    // take memory by output pixels, not by source pixels.
    struct Axis {
        std::vector<std::uint32_t> first;
        std::vector<std::uint32_t> count;
        std::vector<float> head;
        std::vector<float> tail;
        float inner = 0;

        float weight(std::uint32_t j, std::uint32_t k) const {
            return k == 0 ? head[j] : k + 1 == count[j] ? tail[j] : inner;
        }
    };

private:
    void addScaledRow();

    Size from_;
    Size to_;
    Axis horizontal_;
    Axis vertical_;
    std::vector<float> scaled_;    // the current source row, scaled horizontally
    std::uint32_t partOutput_ = 0; // the first output pixel the next part reaches
    std::uint32_t nextSourceRow_ = 0;
    std::uint32_t nextOutputRow_ = 0;
    std::deque<std::vector<float>> sums_; // output rows from nextOutputRow_ on
    Bitmap result_;
};

// The weights that map an axis of `from` pixels onto `to` pixels.
AreaScaler::Axis scalerAxis(std::uint32_t from, std::uint32_t to);

// The whole picture at once.
Bitmap scaleBitmap(const Bitmap& source, Size to);

} // namespace Korva::QELD
