#include "fake_interface.h"
#include "tablet/core/protocol.h"
#include "tablet/core/report_permissions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

namespace Korva::QEL {
namespace {

using Test::FakeInterface;
using namespace std::chrono_literals;

struct ProtocolTest : ::testing::Test {
    FakeInterface tablet;
    std::vector<Protocol::Interval> sleeps;
    Protocol protocol{tablet, [this](Protocol::Interval interval) { sleeps.push_back(interval); }};
};

TEST(ProtocolTables, StatusBitsCoverTheKnownStatesOnly) {
    for (unsigned status = 0; status <= 5; ++status)
        EXPECT_EQ(Protocol::statusBit(static_cast<std::uint8_t>(status)), 1u << status);
    EXPECT_EQ(Protocol::statusBit(255), 0x40);
    for (unsigned status : {6u, 7u, 128u, 254u}) {
        try {
            Protocol::statusBit(static_cast<std::uint8_t>(status));
            ADD_FAILURE() << status;
        } catch (const std::logic_error& e) {
            EXPECT_STREQ(e.what(), "Invalid Protocol::Status value");
        }
    }
}

TEST(ProtocolTables, PermissionTableHasSeventyUniqueEntriesNoneForStatus255) {
    std::set<std::uint16_t> keys;
    int gets = 0;
    for (const ReportPermission& entry : ReportPermissions) {
        EXPECT_TRUE(keys.insert(entry.key).second) << std::hex << entry.key;
        EXPECT_EQ(entry.states & Protocol::statusBit(255), 0);
        gets += entry.key >> 8 == 1;
    }
    EXPECT_EQ(keys.size(), 70u);
    EXPECT_EQ(gets, 34);
}

// Several reports are both read and written, with different permitted states
// (0x0A, 0x2F...), and 0x03 and 0x09 are only ever read: the lookup must take
// the written entry of each report and refuse a report that is never written.
TEST(ProtocolTables, PermittedStatesAreThoseOfTheWrittenEntry) {
    for (unsigned reportId = 0; reportId <= 0xFF; ++reportId) {
        const auto id = static_cast<std::uint8_t>(reportId);
        const auto written = std::find_if(
            ReportPermissions.begin(), ReportPermissions.end(), [&](const ReportPermission& entry) {
                return entry.key == permissionKey(OpDirection::Set, id);
            });
        if (written != ReportPermissions.end()) {
            EXPECT_EQ(Protocol::permittedStates(id), written->states) << std::hex << reportId;
            continue;
        }
        try {
            Protocol::permittedStates(id);
            ADD_FAILURE() << std::hex << reportId;
        } catch (const std::logic_error& e) {
            EXPECT_STREQ(e.what(), "combination of reportId and opDirection is invalid");
        }
    }
}

TEST_F(ProtocolTest, DecodesStatusAndCapabilityReports) {
    tablet.status = 4;
    const auto status = protocol.readStatus();
    EXPECT_EQ(status.status, 4);
    ASSERT_EQ(tablet.operations.size(), 1u);
    EXPECT_EQ(tablet.operations[0].bytes, (Report{0x03, 4, 0, 0, 0}));

    tablet.capability = {0x09, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0x01, 0x40,
                         0x00, 0xC8, 0x77, 0xDE, 0xF0, 0x55, 0xEE, 0xEE};
    const auto capability = protocol.readCapability();
    EXPECT_EQ(capability.width, 320);
    EXPECT_EQ(capability.height, 200);
    EXPECT_EQ(capability.firstWord, 0x1234);
    EXPECT_EQ(capability.secondWord, 0x5678);
    EXPECT_EQ(capability.thirdWord, 0x9ABC);
    EXPECT_EQ(capability.firstByte, 0x77);
    EXPECT_EQ(capability.fourthWord, 0xDEF0);
    EXPECT_EQ(capability.secondByte, 0x55);
    EXPECT_EQ(tablet.operations[1].bytes.size(), 17u);
}

TEST(ProtocolReports, StatusWordIsLittleEndian) {
    struct WordTablet : FakeInterface {
        void getFeature(std::uint8_t* buffer, std::size_t length) override {
            FakeInterface::getFeature(buffer, length);
            buffer[2] = 0xAB;
            buffer[3] = 0x34;
            buffer[4] = 0x12;
        }
    } wordTablet;
    const auto status = Protocol(wordTablet).readStatus();
    EXPECT_EQ(status.result, 0xAB);
    EXPECT_EQ(status.word, 0x1234);
}

TEST_F(ProtocolTest, WaitUntilAllowedGivesUpAfterTwentySixReads) {
    tablet.status = 255;
    EXPECT_THROW(protocol.waitUntilAllowed(0x25, 50ms), Interface::timeout_error);
    EXPECT_EQ(tablet.statusReads, 26);
    EXPECT_EQ(sleeps, std::vector<Protocol::Interval>(25, 50ms));
    EXPECT_TRUE(tablet.writes().empty());
}

TEST_F(ProtocolTest, WaitUntilAllowedFailsAtOnceOnAnInvalidStatus) {
    tablet.status = 7;
    try {
        protocol.waitUntilAllowed(0x25, 50ms);
        ADD_FAILURE();
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Invalid Protocol::Status value");
    }
    EXPECT_EQ(tablet.statusReads, 1);
}

TEST_F(ProtocolTest, WaitUntilAllowedChecksTheReportBeforeReading) {
    EXPECT_THROW(protocol.waitUntilAllowed(0x03, 50ms), std::logic_error);
    EXPECT_EQ(tablet.statusReads, 0);
}

TEST_F(ProtocolTest, WaitUntilAllowedReturnsOnlyInThePermittedState) {
    tablet.scripted = {0, 4, 2, 1};
    protocol.waitUntilAllowed(0x26, 10ms);
    EXPECT_EQ(tablet.statusReads, 4);
    EXPECT_EQ(sleeps.size(), 3u);

    tablet.scripted = {1, 4, 0};
    protocol.waitUntilAllowed(0x25, 10ms);
    EXPECT_EQ(tablet.statusReads, 7);
}

TEST_F(ProtocolTest, WaitsDoNotSleepForIntervalsOfZeroOrLess) {
    tablet.status = 255;
    EXPECT_THROW(protocol.waitUntilAllowed(0x25, 0ms), Interface::timeout_error);
    EXPECT_THROW(protocol.waitUntilReady(3, -5ms), Interface::timeout_error);
    EXPECT_TRUE(sleeps.empty());
    EXPECT_EQ(tablet.statusReads, 26 + 4);
}

TEST_F(ProtocolTest, WaitUntilReadyReadsRetriesPlusOneTimes) {
    tablet.status = 255;
    EXPECT_THROW(protocol.waitUntilReady(0, 100ms), Interface::timeout_error);
    EXPECT_EQ(tablet.statusReads, 1);
    EXPECT_TRUE(sleeps.empty());

    tablet.status = 7; // outside the table, yet waited through
    EXPECT_THROW(protocol.waitUntilReady(40, 100ms), Interface::timeout_error);
    EXPECT_EQ(tablet.statusReads, 1 + 41);
    EXPECT_EQ(sleeps.size(), 40u);

    tablet.scripted = {4, 7, 0};
    protocol.waitUntilReady(5, 100ms);
    EXPECT_EQ(tablet.statusReads, 42 + 3);
}

TEST(ProtocolErrors, TransportErrorsPassThroughUnchanged) {
    struct RemovedTablet : FakeInterface {
        void getFeature(std::uint8_t*, std::size_t) override { throw device_removed_error(); }
    } removed;
    Protocol onRemoved(removed);
    EXPECT_THROW(onRemoved.readStatus(), Interface::device_removed_error);
    EXPECT_THROW(onRemoved.waitUntilAllowed(0x25, 0ms), Interface::device_removed_error);
    EXPECT_THROW(onRemoved.waitUntilReady(3, 0ms), Interface::device_removed_error);
}

} // namespace
} // namespace Korva::QEL
