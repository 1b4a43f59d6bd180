#pragma once

#include "tablet/core/interface.h"
#include "tablet/core/product_tables.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace Korva::QEL {

// The tablet's report conversation over an open Interface. It keeps no
// state between calls: every decision rests on a freshly read status.
class Protocol {
public:
    static constexpr std::uint8_t StatusReport = 0x03;
    static constexpr std::uint8_t CapabilityReport = 0x09;
    static constexpr std::uint8_t ClearScreenReport = 0x20;
    static constexpr std::uint8_t StartImageReport = 0x25;
    static constexpr std::uint8_t ImageDataReport = 0x26;
    static constexpr std::uint8_t EndImageReport = 0x27;

    static constexpr std::uint8_t statusReady = 0;
    static constexpr std::uint8_t statusTransferOpen = 1;
    static constexpr std::uint8_t statusBusy = 4;

    // The largest data block of one ImageDataReport, and the block size of
    // an upload through reports.
    static constexpr std::size_t maxBlockLength = 2557;
    static constexpr std::size_t uploadBlockLength = 253;

    // What the tablet's StatusReport says: its state (one of the status
    // values above), then a result byte and a word that are carried as read.
    struct ReportedStatus {
        std::uint8_t status = 0;
        std::uint8_t result = 0;
        std::uint16_t word = 0;
    };

    struct Capability {
        std::uint16_t firstWord = 0;
        std::uint16_t secondWord = 0;
        std::uint16_t thirdWord = 0;
        std::uint16_t width = 0;
        std::uint16_t height = 0;
        std::uint8_t firstByte = 0;
        std::uint16_t fourthWord = 0;
        std::uint8_t secondByte = 0;
    };

    using Interval = std::chrono::milliseconds;
    using SleepFunction = std::function<void(Interval)>;
    // True once the caller is to stop; asked between data blocks and around
    // every pause, so it must be cheap.
    using StopFunction = std::function<bool()>;

    // Sleeps happen through sleep, which tests replace; by default the
    // calling thread sleeps. With stop, an upload ends early with
    // stopped_error once stop says so.
    explicit Protocol(Interface& device, SleepFunction sleep = defaultSleep,
                      StopFunction stop = {});

    static std::uint8_t statusBit(std::uint8_t status);
    static std::uint8_t permittedStates(std::uint8_t reportId);

    ReportedStatus readStatus();
    Capability readCapability();
    void waitUntilAllowed(std::uint8_t reportId, Interval interval);
    void waitUntilReady(unsigned retries, Interval interval);

    void sendImage(EncodingMode mode, const std::uint8_t* buffer, std::size_t length,
                   Interval interval);
    void sendImageData(EncodingMode mode, const std::uint8_t* buffer, std::size_t length,
                       Interval interval);
    void sendImageBlock(const std::uint8_t* block, std::size_t length);
    void endImage(std::uint8_t flag);
    void clearScreen();
    // Shows one picture; false when the tablet was in a state that allows
    // no upload.
    bool uploadImage(EncodingMode mode, const std::uint8_t* buffer, std::size_t length);
    // Blanks the screen of a tablet that may still be busy with a transfer.
    void blankScreen();

private:
    static void defaultSleep(Interval interval);
    void pause(Interval interval);
    void checkStop();
    void sendData(EncodingMode mode, const std::uint8_t* buffer, std::size_t length);
    void sendShortReport(std::uint8_t reportId, std::uint8_t value);

    Interface& device_;
    SleepFunction sleep_;
    StopFunction stop_;
};

} // namespace Korva::QEL
