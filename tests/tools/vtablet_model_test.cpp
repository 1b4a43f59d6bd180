#include "tools/vtablet/model/tablet_model.h"

#include "tools/vtablet/model/pixel_decode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace Korva::VTablet;

namespace {

using Bytes = std::vector<uint8_t>;

// A tablet with its two buffers and the host-side report helpers.
struct Tablet {
    explicit Tablet(uint16_t width = 16, uint16_t height = 4, bool bulk = false,
                    uint32_t busyPolls = 2)
        : receive(TabletModel::screenBufferBytes(width, height)), screen(receive.size()) {
        model.reset({0x0C16, width, height, bulk, 1, busyPolls, 0, 0}, receive.data(),
                    screen.data());
    }

    uint8_t status() {
        Bytes report{0x03, 0, 0, 0, 0};
        EXPECT_EQ(model.getFeature(report.data(), 5), Result::Ok);
        return report[1];
    }
    Result set(uint8_t id, uint8_t value) {
        const uint8_t report[2] = {id, value};
        return model.setFeature(report, 2);
    }
    Result block(const uint8_t* data, uint32_t count, uint32_t length = 256) {
        Bytes report(length, 0);
        report[0] = 0x26;
        report[1] = static_cast<uint8_t>(count);
        report[2] = static_cast<uint8_t>(count >> 8);
        std::copy(data, data + std::min(count, length - 3), report.begin() + 3);
        return model.setFeature(report.data(), length);
    }
    // The host's upload: start, 253-byte blocks, end.
    void upload(uint8_t mode, const Bytes& image) {
        ASSERT_EQ(set(0x25, mode), Result::Ok);
        for (size_t offset = 0; offset < image.size(); offset += 253) {
            const uint32_t n = static_cast<uint32_t>(std::min<size_t>(253, image.size() - offset));
            ASSERT_EQ(block(image.data() + offset, n), Result::Ok);
        }
        ASSERT_EQ(set(0x27, 0), Result::Ok);
    }
    std::vector<uint8_t> pixel(uint32_t x, uint32_t y) const {
        const uint8_t* p = screen.data() + 3 * (y * model.state().setup.width + x);
        return {p[0], p[1], p[2]};
    }

    Bytes receive, screen;
    TabletModel model;
};

Bytes pattern(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(i * 7 + 3);
    return b;
}

} // namespace

TEST(VTabletModel, ReportsScreenSizeBigEndianAndStatusReady) {
    Tablet t(320, 200);
    uint8_t cap[17] = {0x09};
    ASSERT_EQ(t.model.getFeature(cap, 17), Result::Ok);
    EXPECT_EQ(cap[7], 0x01);
    EXPECT_EQ(cap[8], 0x40);
    EXPECT_EQ(cap[9], 0x00);
    EXPECT_EQ(cap[10], 0xC8);
    EXPECT_EQ(t.status(), 0);
    uint8_t shortStatus[4] = {0x03};
    EXPECT_EQ(t.model.getFeature(shortStatus, 4), Result::Refused);
    uint8_t unknown[5] = {0x25};
    EXPECT_EQ(t.model.getFeature(unknown, 5), Result::Refused);
}

TEST(VTabletModel, StatusMachineFollowsPermissions) {
    Tablet t;
    const uint8_t one = 0;
    EXPECT_EQ(t.block(&one, 1), Result::Refused) << "data before a start";
    EXPECT_EQ(t.set(0x27, 0), Result::Refused) << "end before a start";
    EXPECT_EQ(t.set(0x25, 0x03), Result::Refused) << "unknown mode";
    EXPECT_EQ(t.set(0x25, 0x10), Result::Refused) << "bulk mode without a bulk pipe";
    ASSERT_EQ(t.set(0x25, 0x00), Result::Ok);
    EXPECT_EQ(t.status(), 1);
    EXPECT_EQ(t.set(0x25, 0x00), Result::Refused) << "second start";
    EXPECT_EQ(t.set(0x20, 0), Result::Refused) << "clear during a transfer";
    EXPECT_EQ(t.set(0x27, 1), Result::Ok) << "abandon";
    EXPECT_EQ(t.status(), 0);
    EXPECT_EQ(t.model.state().counters.abandoned, 1u);
    EXPECT_EQ(t.set(0x20, 0), Result::Ok);
    EXPECT_EQ(t.set(0x42, 0), Result::Refused) << "a report the tablet does not know";
}

TEST(VTabletModel, BusyForConfiguredPollsAfterAnImage) {
    Tablet t(16, 4, false, 3);
    t.upload(0x00, Bytes(8, 0xFF));
    EXPECT_EQ(t.status(), 4);
    EXPECT_EQ(t.set(0x25, 0x00), Result::Refused) << "start while busy";
    EXPECT_EQ(t.status(), 4);
    EXPECT_EQ(t.status(), 4);
    EXPECT_EQ(t.status(), 0);
    Tablet quick(16, 4, false, 0);
    quick.upload(0x00, Bytes(8, 0xFF));
    EXPECT_EQ(quick.status(), 0);
}

TEST(VTabletModel, DecodesImagesOfAllThreeFormats) {
    Tablet mono(10, 2);
    // Row 0: pixels 0 and 9 white; row 1: pixel 1 white. Two bytes a row.
    mono.upload(0x00, {0x80, 0x40, 0x40, 0x00});
    EXPECT_EQ(mono.pixel(0, 0), (std::vector<uint8_t>{255, 255, 255}));
    EXPECT_EQ(mono.pixel(1, 0), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(mono.pixel(9, 0), (std::vector<uint8_t>{255, 255, 255}));
    EXPECT_EQ(mono.pixel(1, 1), (std::vector<uint8_t>{255, 255, 255}));

    Tablet rgb16(200, 3); // 1200 bytes: several blocks, the last one short
    Bytes image(1200, 0);
    image[0] = 0xF8; // pixel 0 red
    image[2 * 399] = 0x07;
    image[2 * 399 + 1] = 0xE0; // pixel (199, 1) green
    image[2 * 599] = 0xFF;
    image[2 * 599 + 1] = 0xFF; // last pixel white
    rgb16.upload(0x02, image);
    EXPECT_EQ(rgb16.pixel(0, 0), (std::vector<uint8_t>{255, 0, 0}));
    EXPECT_EQ(rgb16.pixel(199, 1), (std::vector<uint8_t>{0, 255, 0}));
    EXPECT_EQ(rgb16.pixel(199, 2), (std::vector<uint8_t>{255, 255, 255}));

    Tablet rgb24(2, 1);
    rgb24.upload(0x04, {0x00, 0x00, 0xFF, 0x10, 0x20, 0x30});
    EXPECT_EQ(rgb24.pixel(0, 0), (std::vector<uint8_t>{255, 0, 0}));
    EXPECT_EQ(rgb24.pixel(1, 0), (std::vector<uint8_t>{0x30, 0x20, 0x10}));
    EXPECT_EQ(rgb24.model.state().counters.images, 1u);
    EXPECT_EQ(rgb24.model.state().lastImageMode, 0x04);
}

TEST(VTabletModel, ImageOfWrongLengthKeepsTheOldScreen) {
    Tablet t(16, 4, false, 0);
    t.upload(0x00, Bytes(8, 0xFF));
    t.upload(0x00, Bytes(7, 0x00));
    EXPECT_EQ(t.pixel(0, 0), (std::vector<uint8_t>{255, 255, 255}));
    t.upload(0x04, Bytes(16 * 4 * 3 + 1, 0x00)); // more than the buffer holds
    EXPECT_EQ(t.pixel(0, 0), (std::vector<uint8_t>{255, 255, 255}));
    EXPECT_EQ(t.model.state().counters.rejectedImages, 2u);
    EXPECT_EQ(t.status(), 0) << "a rejected image still ends the transfer";
    ASSERT_EQ(t.set(0x20, 0), Result::Ok);
    EXPECT_EQ(t.pixel(0, 0), (std::vector<uint8_t>{0, 0, 0}));
}

TEST(VTabletModel, DataReportForms) {
    Tablet t(64, 64);
    ASSERT_EQ(t.set(0x25, 0x04), Result::Ok);
    const Bytes data = pattern(2558);
    EXPECT_EQ(t.block(data.data(), 254, 256), Result::Refused);
    EXPECT_EQ(t.block(data.data(), 2557, 2560), Result::Ok);
    EXPECT_EQ(t.block(data.data(), 2558, 2561), Result::Refused);
    EXPECT_EQ(t.model.state().received, 2557u);
    EXPECT_TRUE(std::equal(data.begin(), data.end() - 1, t.receive.begin()));
}

TEST(VTabletModel, BulkDataOnlyInBulkTransfers) {
    Tablet t(4, 2, true, 0);
    const Bytes image = pattern(4 * 2 * 3);
    EXPECT_EQ(t.model.writeBulk(image.data(), 24), Result::Refused) << "no transfer open";
    ASSERT_EQ(t.set(0x25, 0x04), Result::Ok);
    EXPECT_EQ(t.model.writeBulk(image.data(), 24), Result::Refused) << "report-mode transfer";
    ASSERT_EQ(t.set(0x27, 1), Result::Ok);
    ASSERT_EQ(t.set(0x25, 0x14), Result::Ok);
    EXPECT_EQ(t.block(image.data(), 24), Result::Refused) << "report in a bulk transfer";
    ASSERT_EQ(t.model.writeBulk(image.data(), 24), Result::Ok);
    ASSERT_EQ(t.set(0x27, 0), Result::Ok);
    EXPECT_EQ(t.model.state().counters.images, 1u);
    EXPECT_EQ(t.model.state().counters.bulkBytes, 24u);
    EXPECT_EQ(t.pixel(0, 0), (std::vector<uint8_t>{image[2], image[1], image[0]}));
}

TEST(VTabletModel, HeldStatusDecidesReportsButStatusStaysReadable) {
    for (uint8_t held : {2, 4, 255, 7}) {
        Tablet t;
        Faults f{};
        f.holdStatus = 1;
        f.heldStatus = held;
        t.model.setFaults(f);
        EXPECT_EQ(t.status(), held);
        EXPECT_EQ(t.set(0x25, 0), Result::Refused);
        EXPECT_EQ(t.set(0x20, 0), Result::Refused);
        EXPECT_EQ(t.status(), held) << "busy polls do not end a held status";
    }
}

TEST(VTabletModel, RefuseBusyAndZeroWidthFaults) {
    Tablet t(16, 4, false, 0);
    Faults f{};
    f.refuseCount = 2;
    f.busyPollsOnce = 2;
    f.zeroWidth = 1;
    t.model.setFaults(f);
    uint8_t status[5] = {0x03};
    EXPECT_EQ(t.model.getFeature(status, 5), Result::Refused);
    EXPECT_EQ(t.set(0x25, 0), Result::Refused);
    EXPECT_EQ(t.model.state().counters.refused, 2u);
    uint8_t cap[17] = {0x09};
    ASSERT_EQ(t.model.getFeature(cap, 17), Result::Ok);
    EXPECT_EQ(cap[7] | cap[8], 0);
    EXPECT_EQ(cap[10], 4);
    t.upload(0x00, Bytes(8, 0));
    EXPECT_EQ(t.status(), 4);
    EXPECT_EQ(t.status(), 4);
    EXPECT_EQ(t.status(), 0);
    t.upload(0x00, Bytes(8, 0));
    EXPECT_EQ(t.status(), 0) << "the busy fault holds for one image only";
}

TEST(VTabletModel, PullStrikesInTheMiddleOfTheNextTransfer) {
    for (bool bulk : {false, true}) {
        Tablet t(16, 4, true);
        Faults f{};
        f.pullInTransfer = 1;
        t.model.setFaults(f);
        EXPECT_EQ(t.status(), 0);
        ASSERT_EQ(t.set(0x25, bulk ? 0x10 : 0x00), Result::Ok);
        EXPECT_FALSE(t.model.pulled());
        const Bytes data(8, 0);
        EXPECT_EQ(bulk ? t.model.writeBulk(data.data(), 8) : t.block(data.data(), 8),
                  Result::NotConnected);
        EXPECT_TRUE(t.model.pulled());
        EXPECT_EQ(t.set(0x27, 0), Result::NotConnected);
        uint8_t status[5] = {0x03};
        EXPECT_EQ(t.model.getFeature(status, 5), Result::NotConnected);
        const uint8_t input[8] = {0x01};
        EXPECT_EQ(t.model.queueInput(input, 8), Result::NotConnected);
    }
}

// Input reports wait in the tablet until reads take them, oldest first, up
// to the queue's capacity; a new plug starts with none.
TEST(VTabletModel, InputReportsWaitForReadsInOrder) {
    Tablet t;
    uint8_t report[8] = {0x01};
    EXPECT_FALSE(t.model.hasInput());
    EXPECT_FALSE(t.model.takeInput(report));
    for (uint8_t i = 0; i < InputQueue::capacity; ++i) {
        report[7] = i;
        EXPECT_EQ(t.model.queueInput(report, 8), Result::Ok);
    }
    EXPECT_EQ(t.model.queueInput(report, 8), Result::Refused) << "full";
    for (uint8_t i = 0; i < 3; ++i) {
        uint8_t taken[8] = {};
        ASSERT_TRUE(t.model.takeInput(taken));
        EXPECT_EQ(taken[0], 0x01);
        EXPECT_EQ(taken[7], i);
    }
    EXPECT_EQ(t.model.state().counters.inputReports, 3u);
    EXPECT_EQ(t.model.queueInput(report, 8), Result::Ok) << "the ring wraps";
    EXPECT_EQ(t.model.queueInput(report, 7), Result::Refused);
    report[0] = 0x03;
    EXPECT_EQ(t.model.queueInput(report, 8), Result::Refused);
    EXPECT_EQ(t.model.state().sequence, 0u) << "input is not a host request";

    t.model.reset(t.model.state().setup, t.receive.data(), t.screen.data());
    EXPECT_FALSE(t.model.hasInput());
}

TEST(VTabletModel, LogKeepsTheLastRequests) {
    Tablet t;
    t.status();
    t.set(0x26, 0);
    const TabletState& s = t.model.state();
    EXPECT_EQ(s.log[0].op, LogOp_Get);
    EXPECT_EQ(s.log[0].reportId, 0x03);
    EXPECT_EQ(s.log[0].length, 5u);
    EXPECT_EQ(s.log[1].op, LogOp_Set);
    EXPECT_EQ(s.log[1].result, static_cast<uint8_t>(Result::Refused));
    for (uint32_t i = 0; i < logSize; ++i)
        t.status();
    EXPECT_EQ(s.sequence, logSize + 2);
    EXPECT_EQ(s.log[1].sequence, logSize + 1) << "the ring overwrote the oldest entries";
}
