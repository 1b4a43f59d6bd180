#pragma once

#include "applet/core/resource.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace Korva::QELD {

// One choice of a page's list: the string-table text shown and the value the
// service reads from the registry.
struct OptionRow {
    std::uint16_t textId;
    std::int32_t value;
};

// The border value that stands for "Auto"; it is never written, the value is
// deleted instead so that the service chooses the border itself.
inline constexpr std::int32_t borderAutoValue = 0x7FFFFFFF;

inline constexpr std::int32_t sizeStretch = 0;
inline constexpr std::int32_t sizeBestFit = 1;
inline constexpr std::int32_t sizeOriginal = 2;

// The rows are in list order; the page operations address them by index.
inline constexpr std::array<OptionRow, 3> SizeOptions{{
    {IDS_BEST_FIT, sizeBestFit},
    {IDS_STRETCH, sizeStretch},
    {IDS_ORIGINAL_SIZE, sizeOriginal},
}};

inline constexpr std::array<OptionRow, 3> BorderOptions{{
    {IDS_AUTO, borderAutoValue},
    {IDS_BLACK, 0},
    {IDS_WHITE, 1},
}};

// "Clip" is row * 16 + column of the anchor.
inline constexpr std::array<OptionRow, 9> PositionOptions{{
    {IDS_TOP_LEFT, 0x00},
    {IDS_TOP, 0x01},
    {IDS_TOP_RIGHT, 0x02},
    {IDS_LEFT, 0x10},
    {IDS_MIDDLE, 0x11},
    {IDS_RIGHT, 0x12},
    {IDS_BOTTOM_LEFT, 0x20},
    {IDS_BOTTOM, 0x21},
    {IDS_BOTTOM_RIGHT, 0x22},
}};

// The initial selections of an editable page: "Best fit", "Auto", "Middle".
inline constexpr std::size_t initialSizeIndex = 0;
inline constexpr std::size_t initialBorderIndex = 0;
inline constexpr std::size_t initialPositionIndex = 4;

// The index of the row that stores the value, if any.
std::optional<std::size_t> findOption(std::span<const OptionRow> rows, std::int32_t value);

} // namespace Korva::QELD
