#pragma once

#include "settings/core/device_config.h"

#include <cstdint>

namespace Korva::QELD {

// "Scale" codes; every value other than these two means best fit.
inline constexpr std::int32_t scaleStretch = 0;
inline constexpr std::int32_t scaleOriginalSize = 2;

// The four layout fields of a settings set, which every picture list and
// picture entry carries as a copy.
struct LayoutSettings {
    std::int32_t border = 0;  // 1 is white, every other value black
    std::int32_t scale = 1;   // 0 stretch, 2 original size, others best fit
    std::uint8_t clip = 0x11; // anchor: low nibble horizontal, high nibble vertical
    bool borderAuto = true;   // border colour chosen by the tablet's pixel format

    bool operator==(const LayoutSettings&) const = default;
};

inline LayoutSettings layoutSettingsOf(const DeviceConfig& config) {
    return {config.border, config.scale, config.clip, config.borderAuto};
}

} // namespace Korva::QELD
