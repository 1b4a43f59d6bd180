#pragma once

#include <stdint.h>

#include "tools/vtablet/model/report_descriptor.h"
#include "tools/vtablet/model/tablet_state.h"

// The conversation between the control tool (and the WinUSB double) and the
// bus driver: device I/O control codes, their records and the interface
// class GUIDs, without platform headers.
namespace Korva::VTablet {

inline constexpr uint32_t maxTablets = 8;
inline constexpr uint16_t maxWidth = 1280;
inline constexpr uint16_t maxHeight = 1024;

// CTL_CODE(FILE_DEVICE_UNKNOWN, function, METHOD_BUFFERED, FILE_ANY_ACCESS).
constexpr uint32_t controlCode(uint32_t function) {
    return 0x00220000u | (function << 2);
}

// On the bus's control interface.
inline constexpr uint32_t ioctlPlug = controlCode(0x800);   // TabletSetup -> uint32_t slot
inline constexpr uint32_t ioctlUnplug = controlCode(0x801); // uint32_t slot
inline constexpr uint32_t ioctlQuery = controlCode(0x802);  // uint32_t slot -> SlotInfo
inline constexpr uint32_t ioctlFaults = controlCode(0x803); // FaultRequest
inline constexpr uint32_t ioctlScreen = controlCode(0x804); // uint32_t slot -> RGB triples
inline constexpr uint32_t ioctlInput = controlCode(0x805);  // InputRequest

// On a tablet's bulk interface (the MI_01 child).
inline constexpr uint32_t ioctlBulkPipe = controlCode(0x810);  // -> uint8_t pipe id
inline constexpr uint32_t ioctlBulkWrite = controlCode(0x811); // the bytes
inline constexpr uint32_t ioctlBulkRate = controlCode(0x812);  // -> uint32_t bytes per second

struct SlotInfo {
    uint32_t plugged;    // 0 unplugged (the state is that of the last plug), 1 plugged
    uint32_t used;       // the slot was ever plugged
    uint32_t generation; // its children's instance ids end "QV<slot>_<generation>"
    TabletState state;
};

struct FaultRequest {
    uint32_t slot;
    Faults faults;
};

// An input report for the tablet to send: it completes the HID child's
// waiting read, or waits in the tablet for the next one.
struct InputRequest {
    uint32_t slot;
    uint8_t report[inputReportLength];
};

struct Guid {
    uint32_t data1;
    uint16_t data2, data3;
    uint8_t data4[8];
};

// The bus's control interface.
inline constexpr Guid controlInterfaceGuid = {
    0x3F0C9A51, 0x7D2E, 0x4C86, {0x9B, 0x14, 0x62, 0xE0, 0xA5, 0x3D, 0x88, 0x17}};

// The WinUSB interface class of the QEL tablets.
inline constexpr Guid winusbInterfaceGuid = {
    0x6F1B3C2A, 0x9D4E, 0x4B7F, {0xA2, 0xC1, 0x5E, 0x8D, 0x0F, 0x3A, 0x7B, 0x64}};

} // namespace Korva::VTablet
