#include "tablet/core/protocol.h"

#include "tablet/core/report_permissions.h"

#include <array>
#include <stdexcept>
#include <thread>

namespace Korva::QEL {
namespace {

constexpr std::size_t statusReportLength = 5;
constexpr std::size_t capabilityReportLength = 17;
constexpr unsigned allowedRetries = 25;

std::uint16_t bigEndianAt(const std::uint8_t* bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
}

} // namespace

Protocol::Protocol(Interface& device, SleepFunction sleep, StopFunction stop)
    : device_(device), sleep_(std::move(sleep)), stop_(std::move(stop)) {}

void Protocol::defaultSleep(Interval interval) {
    std::this_thread::sleep_for(interval);
}

void Protocol::checkStop() {
    if (stop_ && stop_())
        throw Interface::stopped_error();
}

// A stop is looked for on both sides of the sleep, so that a sleep that a
// stop cut short ends the wait.
void Protocol::pause(Interval interval) {
    checkStop();
    if (interval > Interval::zero())
        sleep_(interval);
    checkStop();
}

std::uint8_t Protocol::statusBit(std::uint8_t status) {
    if (status <= 5)
        return static_cast<std::uint8_t>(1u << status);
    if (status == 255)
        return 0x40;
    throw std::logic_error("Invalid Protocol::Status value");
}

std::uint8_t Protocol::permittedStates(std::uint8_t reportId) {
    const std::uint16_t key = permissionKey(OpDirection::Set, reportId);
    for (const ReportPermission& entry : ReportPermissions)
        if (entry.key == key)
            return entry.states;
    throw std::logic_error("combination of reportId and opDirection is invalid");
}

Protocol::ReportedStatus Protocol::readStatus() {
    std::array<std::uint8_t, statusReportLength> report{StatusReport};
    device_.getFeature(report.data(), report.size());
    return {report[1], report[2], static_cast<std::uint16_t>(report[3] | report[4] << 8)};
}

Protocol::Capability Protocol::readCapability() {
    std::array<std::uint8_t, capabilityReportLength> report{CapabilityReport};
    device_.getFeature(report.data(), report.size());
    const std::uint8_t* r = report.data();
    return {bigEndianAt(r, 1),  bigEndianAt(r, 3),
            bigEndianAt(r, 5),  bigEndianAt(r, 7),
            bigEndianAt(r, 9),  r[11],
            bigEndianAt(r, 12), r[14]};
}

void Protocol::waitUntilAllowed(std::uint8_t reportId, Interval interval) {
    const std::uint8_t mask = permittedStates(reportId);
    if (statusBit(readStatus().status) & mask)
        return;
    for (unsigned retry = 0; retry < allowedRetries; ++retry) {
        pause(interval);
        if (statusBit(readStatus().status) & mask)
            return;
    }
    throw Interface::timeout_error();
}

// Tests the value itself rather than its flag, so that it waits through
// states outside the table as well.
void Protocol::waitUntilReady(unsigned retries, Interval interval) {
    if (readStatus().status == statusReady)
        return;
    while (retries > 0) {
        --retries;
        pause(interval);
        if (readStatus().status == statusReady)
            return;
    }
    throw Interface::timeout_error();
}

} // namespace Korva::QEL
