#pragma once

#include "common/core/utf.h"

#include <cstdint>
#include <string>

namespace Korva::QEL {

// The tablet maker's USB vendor id and the product ids of the family: the
// first id and the fourteen after it.
inline constexpr std::uint16_t tabletVendorId = 0x2B7C;
inline constexpr std::uint16_t firstTabletProductId = 0x0C10;
inline constexpr std::uint16_t lastTabletProductOffset = 14;

// One enumerated HID interface, as the enumeration filter sees it.
struct UsbDevice {
    std::uint16_t idVendor = 0;
    std::uint16_t idProduct = 0;
    std::uint16_t revision = 0;
    bool hasInterfaceNumber = false; // a composite device: the tablet may have a bulk interface
    std::wstring path;
    std::uint32_t deviceNode = 0;
};

// One attached tablet with everything an open needs.
struct TabletDevice {
    std::uint16_t idVendor = 0;
    std::uint16_t idProduct = 0;
    std::uint16_t revision = 0;
    std::wstring hidPath;
    std::wstring bulkPath; // empty when the tablet has no WinUSB interface
    std::uint32_t deviceNode = 0;
    // Read while the node is valid: on Wine a device node lives only as long
    // as the enumeration that produced it, while the instance id lasts.
    std::wstring deviceInstanceId;
};

// How reports name a tablet: its HID path, in UTF-8.
inline std::string reportName(const TabletDevice& tablet) {
    return Korva::utf8FromUtf16(std::u16string(tablet.hidPath.begin(), tablet.hidPath.end()));
}

// Whether a device belongs to the tablet family, whether or not a settings
// model exists for its product id.
constexpr bool isFamilyTablet(std::uint16_t idVendor, std::uint16_t idProduct) {
    return idVendor == tabletVendorId &&
           static_cast<std::uint16_t>(idProduct - firstTabletProductId) <= lastTabletProductOffset;
}

} // namespace Korva::QEL
