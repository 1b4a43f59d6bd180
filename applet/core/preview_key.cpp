#include "applet/core/preview_key.h"

#include "applet/core/option_tables.h"

#include <tuple>

namespace Korva::QELD {

bool operator<(const PreviewKey& a, const PreviewKey& b) noexcept {
    if (a.size != b.size)
        return a.size < b.size;
    if (a.size == sizeBestFit)
        return a.border < b.border;
    if (a.size == sizeOriginal)
        return std::tie(a.border, a.position) < std::tie(b.border, b.position);
    return false;
}

std::array<PreviewKey, previewSetSize> previewSetKeys() {
    std::array<PreviewKey, previewSetSize> keys{};
    keys[0] = {0, 0, sizeStretch};
    const std::int32_t borders[] = {1, 0};
    for (int half = 0; half < 2; ++half) {
        const int first = 1 + half * 10;
        keys[first] = {0, borders[half], sizeBestFit};
        for (int i = 0; i < 9; ++i)
            keys[first + 1 + i] = {PositionOptions[i].value, borders[half], sizeOriginal};
    }
    keys[21] = {-1, -1, -1};
    return keys;
}

PreviewKey editPreviewKey(bool usingGeneric, std::int32_t size, std::int32_t border,
                          std::int32_t position, std::int32_t autoBorder) {
    if (usingGeneric)
        return {-1, -1, -1};
    if (size == sizeStretch)
        return {0, 0, size};
    const std::int32_t shownBorder = border == borderAutoValue ? autoBorder : border;
    return {size == sizeOriginal ? position : 0, shownBorder, size};
}

PreviewKey viewPreviewKey(std::int32_t size, std::int32_t border, std::int32_t position,
                          std::int32_t autoBorder) {
    return {position, border == borderAutoValue ? autoBorder : border, size};
}

} // namespace Korva::QELD
