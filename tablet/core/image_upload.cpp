#include "tablet/core/protocol.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

namespace Korva::QEL {
namespace {

constexpr std::size_t imageDataHeaderLength = 3;
constexpr std::size_t shortImageDataReportLength = 256;
constexpr std::size_t longImageDataReportLength = 2560;

// The waits of an upload: the recovery of an unfinished transfer, the polls
// before the start report and the data, and the wait after the end report.
constexpr unsigned recoveryRetries = 50;
constexpr Protocol::Interval recoveryInterval{100};
constexpr Protocol::Interval uploadInterval{50};
constexpr unsigned finalRetries = 25;
constexpr Protocol::Interval finalInterval{50};
// The wait before a quitting worker's clear: short, as a stop must end soon.
constexpr unsigned blankRetries = 20;
constexpr Protocol::Interval blankInterval{50};

constexpr std::uint8_t endComplete = 0x00;
constexpr std::uint8_t endAbandoned = 0x01;

} // namespace

void Protocol::sendShortReport(std::uint8_t reportId, std::uint8_t value) {
    const std::array<std::uint8_t, 2> report{reportId, value};
    device_.setFeature(report.data(), report.size());
}

void Protocol::sendImage(EncodingMode mode, const std::uint8_t* buffer, std::size_t length,
                         Interval interval) {
    waitUntilAllowed(StartImageReport, interval);
    sendShortReport(StartImageReport, mode);
    sendImageData(mode, buffer, length, interval);
}

// A stop during the data ends the open transfer as abandoned, as the
// recovery of an unfinished transfer does, so that the tablet is ready again
// for the clear that follows.
void Protocol::sendImageData(EncodingMode mode, const std::uint8_t* buffer, std::size_t length,
                             Interval interval) {
    try {
        waitUntilAllowed(ImageDataReport, interval);
        sendData(mode, buffer, length);
    } catch (const Interface::stopped_error&) {
        endImage(endAbandoned);
        throw;
    }
    sendShortReport(EndImageReport, endComplete);
}

void Protocol::sendData(EncodingMode mode, const std::uint8_t* buffer, std::size_t length) {
    if (mode & encodingBulk) {
        device_.writeBulk(buffer, length);
        return;
    }
    for (std::size_t offset = 0; offset < length; offset += uploadBlockLength) {
        checkStop();
        sendImageBlock(buffer + offset, std::min(uploadBlockLength, length - offset));
    }
}

// The report lives on the stack so that a run of blocks allocates nothing.
void Protocol::sendImageBlock(const std::uint8_t* block, std::size_t length) {
    if (length > maxBlockLength)
        throw std::range_error("length is out of range");
    const std::size_t reportLength =
        length <= uploadBlockLength ? shortImageDataReportLength : longImageDataReportLength;
    std::array<std::uint8_t, longImageDataReportLength> report;
    report[0] = ImageDataReport;
    report[1] = static_cast<std::uint8_t>(length & 0xFF);
    report[2] = static_cast<std::uint8_t>(length >> 8);
    if (length > 0)
        std::memcpy(report.data() + imageDataHeaderLength, block, length);
    std::fill(report.begin() + imageDataHeaderLength + length, report.begin() + reportLength, 0);
    device_.setFeature(report.data(), reportLength);
}

void Protocol::endImage(std::uint8_t flag) {
    sendShortReport(EndImageReport, flag);
}

// Sent in every state: a quitting worker blanks the screen whatever the
// tablet is doing.
void Protocol::clearScreen() {
    sendShortReport(ClearScreenReport, 0x00);
}

bool Protocol::uploadImage(EncodingMode mode, const std::uint8_t* buffer, std::size_t length) {
    std::uint8_t status = readStatus().status;
    if (status == statusTransferOpen)
        endImage(endAbandoned);
    if (status == statusTransferOpen || status == statusBusy) {
        waitUntilReady(recoveryRetries, recoveryInterval);
        status = readStatus().status;
    }
    if (status != statusReady)
        return false;
    sendImage(mode, buffer, length, uploadInterval);
    // A stop while the tablet takes in a complete picture leaves the rest of
    // the wait to the clear that follows.
    try {
        waitUntilReady(finalRetries, finalInterval);
    } catch (const Interface::stopped_error&) {
    }
    return true;
}

// The tablet takes the clear only when ready. A transfer left open is ended
// as abandoned and a busy tablet waited for, briefly; the clear goes out in
// any case.
void Protocol::blankScreen() {
    const std::uint8_t status = readStatus().status;
    if (status == statusTransferOpen)
        endImage(endAbandoned);
    if (status == statusTransferOpen || status == statusBusy) {
        try {
            waitUntilReady(blankRetries, blankInterval);
        } catch (const Interface::timeout_error&) {
        }
    }
    clearScreen();
}

} // namespace Korva::QEL
