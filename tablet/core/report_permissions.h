#pragma once

#include <array>
#include <cstdint>

namespace Korva::QEL {

// Whether a report is read with get-feature or written with set-feature.
enum class OpDirection : std::uint8_t { Get = 1, Set = 2 };

// One operation on one report and the Status flags in which the tablet
// permits it. The key holds the report id in its low byte and the direction
// in its high byte.
struct ReportPermission {
    std::uint16_t key;
    std::uint8_t states;
};

constexpr std::uint16_t permissionKey(OpDirection direction, std::uint8_t reportId) {
    return static_cast<std::uint16_t>(static_cast<unsigned>(direction) << 8 | reportId);
}

// Every report operation the tablet family knows, searched from the start.
extern const std::array<ReportPermission, 70> ReportPermissions;

} // namespace Korva::QEL
