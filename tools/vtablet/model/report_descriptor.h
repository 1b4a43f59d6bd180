#pragma once

#include <stdint.h>

namespace Korva::VTablet {

// The HID report descriptor of every virtual tablet: one vendor collection
// with the input report 0x01 (8 bytes) and the feature reports the family
// uses (lengths include the id byte).
struct ReportDescriptor {
    const uint8_t* bytes;
    uint16_t length;
};

ReportDescriptor reportDescriptor();

// Length of a feature report, id byte included, as the descriptor declares
// it; 0 for an id it does not declare.
uint16_t featureLength(uint8_t reportId);

inline constexpr uint8_t inputReportId = 0x01;
inline constexpr uint16_t inputReportLength = 8;

} // namespace Korva::VTablet
