#pragma once

#include <stdint.h>

// Plain records shared by the device model, the bus driver and the control
// tool; the driver copies them out to the tool unchanged.
namespace Korva::VTablet {

struct TabletSetup {
    uint16_t productId;
    uint16_t width;
    uint16_t height;
    uint8_t bulk;       // the tablet has a WinUSB bulk OUT pipe
    uint8_t composite;  // its HID interface carries an interface number
    uint32_t busyPolls; // status reads that see Status 4 after each image
    // The timing profile the tablet starts with, and returns to when its
    // faults are cleared: the delay of every request and the bulk pipe's
    // throughput in bytes per second (0 for both: an instant tablet).
    uint32_t latencyMs;
    uint32_t bulkBytesPerSecond;
};

struct Faults {
    uint8_t holdStatus; // report heldStatus instead of the real Status
    uint8_t heldStatus;
    uint8_t zeroWidth;           // capability report gives width 0
    uint8_t pullInTransfer;      // disconnect at the next data block or bulk write
    uint8_t bulkPipeIn;          // the bulk pipe is reported as an IN pipe
    uint8_t denyOpen;            // every open fails as when another program holds the tablet
    uint8_t hang;                // requests and bulk writes are held until cleared or unplugged
    uint8_t hugeScreen;          // capability report gives 65535 x 65535
    uint32_t busyPollsOnce;      // if non-zero: the next image keeps Status 4 this long
    uint32_t refuseCount;        // refuse this many further reports
    uint32_t latencyMs;          // delay every request by this much
    uint32_t bulkBytesPerSecond; // a bulk write takes its length at this rate (0: at once)
};

struct Counters {
    uint32_t gets;
    uint32_t sets;
    uint32_t statusReads;
    uint32_t dataReports;
    uint32_t bulkWrites;
    uint32_t bulkBytes;
    uint32_t refused;
    uint32_t images;
    uint32_t rejectedImages;
    uint32_t abandoned;
    uint32_t clears;
    uint32_t inputReports; // input reports handed to the host's reads
};

enum LogOp : uint8_t { LogOp_Get = 1, LogOp_Set = 2, LogOp_Bulk = 3 };

struct LogEntry {
    uint32_t sequence;
    uint32_t length;
    uint8_t op;
    uint8_t reportId;
    uint8_t result; // a Result value
    uint8_t status; // the Status after the request
};

inline constexpr uint32_t logSize = 64;

struct TabletState {
    TabletSetup setup;
    Faults faults;
    Counters counters;
    uint8_t status; // the real Status, 0 1 or 4
    uint8_t mode;   // EncodingMode of the open or last transfer
    uint8_t pulled;
    uint8_t overflow;  // the open transfer outgrew the buffer
    uint32_t busyLeft; // status reads left before Status 4 ends
    uint32_t received; // bytes of the open transfer
    uint32_t lastImageBytes;
    uint8_t lastImageMode;
    uint8_t reserved[3];
    uint32_t sequence;     // requests seen so far
    LogEntry log[logSize]; // ring: entry sequence % logSize
};

} // namespace Korva::VTablet
