#include "fake_interface.h"
#include "tablet/core/protocol.h"

#include <gtest/gtest.h>

#include <numeric>
#include <stdexcept>

namespace Korva::QEL {
namespace {

using Test::FakeInterface;
using namespace std::chrono_literals;

std::vector<std::uint8_t> picture(std::size_t length) {
    std::vector<std::uint8_t> bytes(length);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{1});
    return bytes;
}

struct UploadTest : ::testing::Test {
    FakeInterface tablet;
    std::vector<Protocol::Interval> sleeps;
    Protocol protocol{tablet, [this](Protocol::Interval interval) { sleeps.push_back(interval); }};

    // The data of every ImageDataReport sent, checked for its layout.
    std::vector<std::size_t> blockLengths() const {
        std::vector<std::size_t> lengths;
        for (const auto& op : tablet.writes()) {
            if (op.bytes[0] != 0x26)
                continue;
            const std::size_t n = op.bytes[1] | op.bytes[2] << 8;
            EXPECT_EQ(op.bytes.size(), n <= 253 ? 256u : 2560u);
            for (std::size_t i = 3 + n; i < op.bytes.size(); ++i)
                EXPECT_EQ(op.bytes[i], 0) << i;
            lengths.push_back(n);
        }
        return lengths;
    }

    // The image as the tablet would assemble it from the data reports.
    std::vector<std::uint8_t> received() const {
        std::vector<std::uint8_t> bytes;
        for (const auto& op : tablet.writes()) {
            if (op.kind == 'b')
                bytes.insert(bytes.end(), op.bytes.begin(), op.bytes.end());
            else if (op.bytes[0] == 0x26)
                bytes.insert(bytes.end(), op.bytes.begin() + 3,
                             op.bytes.begin() + 3 + (op.bytes[1] | op.bytes[2] << 8));
        }
        return bytes;
    }
};

TEST_F(UploadTest, ImageDataReportsAreShortUpTo253BytesAndLongUpTo2557) {
    const auto data = picture(2558);
    protocol.sendImageBlock(data.data(), 253);
    protocol.sendImageBlock(data.data(), 254);
    protocol.sendImageBlock(data.data(), 2557);
    protocol.sendImageBlock(data.data(), 0);
    EXPECT_EQ(blockLengths(), (std::vector<std::size_t>{253, 254, 2557, 0}));
    EXPECT_EQ(tablet.writes()[0].bytes[3], 1);
    EXPECT_EQ(tablet.writes()[0].bytes[255], 253);

    try {
        protocol.sendImageBlock(data.data(), 2558);
        ADD_FAILURE();
    } catch (const std::range_error& e) {
        EXPECT_STREQ(e.what(), "length is out of range");
    }
    EXPECT_EQ(tablet.writes().size(), 4u);
}

TEST_F(UploadTest, ImagesAreCutInto253ByteBlocks) {
    for (std::size_t length : {253u, 254u, 506u, 0u}) {
        tablet.operations.clear();
        tablet.status = 1;
        const auto data = picture(length);
        protocol.sendImageData(0x02, data.data(), data.size(), 50ms);
        EXPECT_EQ(received(), data);
        EXPECT_EQ(tablet.writes().back().bytes, (Report{0x27, 0x00}));
    }
    EXPECT_EQ(blockLengths(), std::vector<std::size_t>{});
}

TEST_F(UploadTest, BlockCountsFollowTheImageLength) {
    const auto run = [this](std::size_t length) {
        tablet.operations.clear();
        const auto data = picture(length);
        protocol.sendImage(0x00, data.data(), data.size(), 50ms);
        return blockLengths();
    };
    EXPECT_EQ(run(253), (std::vector<std::size_t>{253}));
    EXPECT_EQ(run(254), (std::vector<std::size_t>{253, 1}));
    EXPECT_EQ(run(506), (std::vector<std::size_t>{253, 253}));
}

TEST_F(UploadTest, UploadOnAReadyTabletSendsStartDataAndEnd) {
    const auto data = picture(600);
    EXPECT_TRUE(protocol.uploadImage(0x04, data.data(), data.size()));
    const auto writes = tablet.writes();
    ASSERT_EQ(writes.size(), 5u);
    EXPECT_EQ(writes.front().bytes, (Report{0x25, 0x04}));
    EXPECT_EQ(writes.back().bytes, (Report{0x27, 0x00}));
    EXPECT_EQ(received(), data);
    // Reads: the state check, before start, before data, after the end.
    EXPECT_EQ(tablet.statusReads, 4);
    EXPECT_TRUE(sleeps.empty());
    // No status is read between the data blocks.
    for (std::size_t i = 0; i + 1 < tablet.operations.size(); ++i) {
        if (tablet.operations[i].bytes[0] == 0x26) {
            EXPECT_NE(tablet.operations[i + 1].kind, 'g');
        }
    }
}

TEST_F(UploadTest, BulkModeSendsNoDataReports) {
    tablet.bulk = true;
    const auto data = picture(1000);
    EXPECT_TRUE(protocol.uploadImage(0x14, data.data(), data.size()));
    const auto writes = tablet.writes();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].bytes, (Report{0x25, 0x14}));
    EXPECT_EQ(writes[1].kind, 'b');
    EXPECT_EQ(writes[1].bytes, data);
    EXPECT_EQ(writes[2].bytes, (Report{0x27, 0x00}));
}

TEST_F(UploadTest, AnOpenTransferIsEndedAndWaitedFor) {
    tablet.status = 1;
    tablet.scripted = {1, 1, 1, 0};
    const auto data = picture(10);
    EXPECT_TRUE(protocol.uploadImage(0x00, data.data(), data.size()));
    const auto writes = tablet.writes();
    EXPECT_EQ(writes.front().bytes, (Report{0x27, 0x01}));
    EXPECT_EQ(writes[1].bytes, (Report{0x25, 0x00}));
    EXPECT_EQ(tablet.operations[0].kind, 'g');
    EXPECT_EQ(tablet.operations[1].kind, 's');
    EXPECT_EQ(sleeps, std::vector<Protocol::Interval>(2, 100ms));
}

TEST_F(UploadTest, AnOpenTransferThatNeverEndsTimesOutAfter51Polls) {
    tablet.status = 1;
    tablet.stuck = true;
    const auto data = picture(10);
    EXPECT_THROW(protocol.uploadImage(0x00, data.data(), data.size()), Interface::timeout_error);
    EXPECT_EQ(tablet.statusReads, 1 + 51);
    EXPECT_EQ(sleeps, std::vector<Protocol::Interval>(50, 100ms));
    ASSERT_EQ(tablet.writes().size(), 1u);
    EXPECT_EQ(tablet.writes()[0].bytes, (Report{0x27, 0x01}));
}

TEST_F(UploadTest, ABusyTabletIsWaitedForWithoutAnEndReport) {
    tablet.scripted = {4, 4, 4, 0};
    const auto data = picture(10);
    EXPECT_TRUE(protocol.uploadImage(0x00, data.data(), data.size()));
    EXPECT_EQ(tablet.writes().front().bytes, (Report{0x25, 0x00}));
    EXPECT_EQ(sleeps, std::vector<Protocol::Interval>(2, 100ms));
}

TEST_F(UploadTest, OtherStatesAreLeftAlone) {
    for (std::uint8_t status : {2, 3, 5, 255}) {
        tablet.status = status;
        const auto data = picture(10);
        EXPECT_FALSE(protocol.uploadImage(0x00, data.data(), data.size()));
    }
    EXPECT_EQ(tablet.statusReads, 4);
    EXPECT_TRUE(tablet.writes().empty());
    EXPECT_TRUE(sleeps.empty());

    // A tablet that leaves its busy state for another one is left alone too.
    tablet.scripted = {4, 0, 2};
    const auto data = picture(10);
    EXPECT_FALSE(protocol.uploadImage(0x00, data.data(), data.size()));
    EXPECT_TRUE(tablet.writes().empty());
}

TEST_F(UploadTest, TabletThatDoesNotFinishTimesOutAfterTheEndReport) {
    struct SlowTablet : FakeInterface {
        void setFeature(const std::uint8_t* buffer, std::size_t length) override {
            FakeInterface::setFeature(buffer, length);
            if (buffer[0] == 0x27)
                status = 4;
        }
    } slow;
    std::vector<Protocol::Interval> slowSleeps;
    Protocol onSlow(slow, [&](Protocol::Interval interval) { slowSleeps.push_back(interval); });
    const auto data = picture(10);
    EXPECT_THROW(onSlow.uploadImage(0x00, data.data(), data.size()), Interface::timeout_error);
    EXPECT_EQ(slowSleeps, std::vector<Protocol::Interval>(25, 50ms));
}

TEST_F(UploadTest, TabletPulledDuringTheDataStopsTheUpload) {
    tablet.removeAtSet = 2; // start, first block, then the second block fails
    const auto data = picture(1000);
    EXPECT_THROW(protocol.uploadImage(0x00, data.data(), data.size()),
                 Interface::device_removed_error);
    EXPECT_EQ(tablet.writes().size(), 2u);
    EXPECT_EQ(tablet.statusReads, 3);
}

TEST_F(UploadTest, ClearScreenIgnoresTheTabletState) {
    for (std::uint8_t status : {0, 1, 4, 255, 7}) {
        tablet.status = status;
        protocol.clearScreen();
    }
    EXPECT_EQ(tablet.statusReads, 0);
    ASSERT_EQ(tablet.writes().size(), 5u);
    for (const auto& op : tablet.writes())
        EXPECT_EQ(op.bytes, (Report{0x20, 0x00}));
    protocol.endImage(0x01);
    EXPECT_EQ(tablet.writes().back().bytes, (Report{0x27, 0x01}));
}

// A stop between blocks ends the open transfer as abandoned; a stop while the
// tablet takes in a complete picture (Status 4) leaves it busy, and the clear
// that follows waits until the tablet is ready again, the only state in which
// a tablet takes a clear.
TEST_F(UploadTest, AStopEndsTheTransferAndTheClearWaitsForABusyTablet) {
    struct StoppingTablet : FakeInterface {
        bool stop = false;
        void setFeature(const std::uint8_t* buffer, std::size_t length) override {
            FakeInterface::setFeature(buffer, length);
            stop = stop || buffer[0] == 0x26;
            if (buffer[0] == 0x27 && buffer[1] == 0)
                status = 4;
        }
    } tablet;
    Protocol stopping(
        tablet, [](Protocol::Interval) {}, [&] { return tablet.stop; });
    const auto data = picture(1000);
    EXPECT_THROW(stopping.uploadImage(0x00, data.data(), data.size()), Interface::stopped_error);
    ASSERT_EQ(tablet.writes().size(), 3u);
    EXPECT_EQ(tablet.writes()[2].bytes, (Report{0x27, 0x01}));

    tablet.operations.clear();
    tablet.statusReads = 0;
    tablet.stop = false;
    EXPECT_TRUE(stopping.uploadImage(0x00, data.data(), 253));
    EXPECT_EQ(tablet.statusReads, 4);
    tablet.scripted = {4, 4, 0};
    Protocol(tablet, [](Protocol::Interval) {}).blankScreen();
    EXPECT_EQ(tablet.statusReads, 7);
    EXPECT_EQ(tablet.writes().back().bytes, (Report{0x20, 0x00}));
}

} // namespace
} // namespace Korva::QEL
