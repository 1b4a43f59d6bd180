#pragma once

#include <cstdint>

namespace Korva::QELD {

// What a tablet asks a picture to be turned into: its pixel format
// (EncodingMode byte) and its screen size in pixels.
struct ScreenFormat {
    std::uint8_t encodingMode = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;

    bool operator==(const ScreenFormat&) const = default;
};

} // namespace Korva::QELD
