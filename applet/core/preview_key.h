#pragma once

#include <array>
#include <cstdint>

namespace Korva::QELD {

// Looks up a page's preview picture for a layout. Keys compare by size first;
// a stretched picture ignores border and position, a fitted one ignores the
// position, and any other size value (no layout) makes all keys equal.
struct PreviewKey {
    std::int32_t position = -1;
    std::int32_t border = -1;
    std::int32_t size = -1;
};

bool operator<(const PreviewKey& a, const PreviewKey& b) noexcept;

// The key of the picture at each offset of a preview set of 22 icons: stretch,
// fit and the nine anchors on white, the same on black, then the greyed tablet.
inline constexpr int previewSetSize = 22;
std::array<PreviewKey, previewSetSize> previewSetKeys();

// The key an editable page shows: none while the page uses the generic set
// (size is then none as well); the border only matters to a fitted or
// original-size picture and the position only to an original-size one. A
// border of "Auto" shows the page's automatic border.
PreviewKey editPreviewKey(bool usingGeneric, std::int32_t size, std::int32_t border,
                          std::int32_t position, std::int32_t autoBorder);

// The key for stored values as the read-only page holds them.
PreviewKey viewPreviewKey(std::int32_t size, std::int32_t border, std::int32_t position,
                          std::int32_t autoBorder);

} // namespace Korva::QELD
