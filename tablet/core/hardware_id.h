#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace Korva::QEL {

// The ids that a HID interface's first hardware id carries.
struct HardwareId {
    std::uint16_t idVendor = 0;
    std::uint16_t idProduct = 0;
    std::uint16_t revision = 0;
    bool hasInterfaceNumber = false;

    bool operator==(const HardwareId&) const = default;
};

// Parses "HID\VID_vvvv&PID_pppp&REV_rrrr" with an optional "&MI_" part,
// ignoring case. Nothing when the text does not have that shape.
std::optional<HardwareId> parseHardwareId(std::wstring_view text);

} // namespace Korva::QEL
