#include "tools/vtablet/model/report_descriptor.h"

namespace Korva::VTablet {

namespace {

// Items: usage page FF00, usage 1, application collection, bytes 0-255; then
// per report: report id, usage = id, report count, Input or Feature (data,
// variable, absolute); end collection. 0x26 declares the 256-byte form the
// host sends; hidclass takes any longer buffer as well, and the tablet takes
// the 2560-byte form too.
constexpr uint8_t descriptor[] = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF,
    0x00, 0x75, 0x08, 0x85, 0x01, 0x09, 0x01, 0x95, 0x07, 0x81, 0x02, // input 0x01, 8 bytes
    0x85, 0x03, 0x09, 0x03, 0x95, 0x04, 0xB1, 0x02,                   // status, 5 bytes
    0x85, 0x09, 0x09, 0x09, 0x95, 0x10, 0xB1, 0x02,                   // capability, 17 bytes
    0x85, 0x20, 0x09, 0x20, 0x95, 0x01, 0xB1, 0x02,                   // clear screen, 2 bytes
    0x85, 0x25, 0x09, 0x25, 0x95, 0x01, 0xB1, 0x02,                   // start image, 2 bytes
    0x85, 0x26, 0x09, 0x26, 0x95, 0xFF, 0xB1, 0x02,                   // image data, 256 bytes
    0x85, 0x27, 0x09, 0x27, 0x95, 0x01, 0xB1, 0x02,                   // end image, 2 bytes
    0xC0,
};

} // namespace

ReportDescriptor reportDescriptor() {
    return {descriptor, sizeof descriptor};
}

uint16_t featureLength(uint8_t reportId) {
    switch (reportId) {
    case 0x03:
        return 5;
    case 0x09:
        return 17;
    case 0x20:
    case 0x25:
    case 0x27:
        return 2;
    case 0x26:
        return 256;
    default:
        return 0;
    }
}

} // namespace Korva::VTablet
