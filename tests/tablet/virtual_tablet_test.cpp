#include "tablet/discovery.h"
#include "tablet/core/protocol.h"
#include "tablet/usb_interface.h"
#include "tests/support/eventually.h"
#include "tests/support/virtual_tablets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <thread>

namespace Korva::QEL {
namespace {

using namespace std::chrono_literals;

constexpr std::uint16_t qel40 = 0x0C16;
constexpr std::uint16_t qel50 = 0x0C17;
constexpr std::uint16_t qel10 = 0x0C13;

std::optional<TabletDevice> findTablet(std::uint16_t productId) {
    for (const TabletDevice& tablet : listTablets())
        if (tablet.idProduct == productId)
            return tablet;
    return std::nullopt;
}

// Plugged interfaces appear a few tens of milliseconds after the plug, and a
// bulk sibling may follow its HID interface.
TabletDevice waitForTablet(std::uint16_t productId, bool withBulk = false) {
    std::optional<TabletDevice> tablet;
    const auto appeared =
        QELD::Test::eventually("tablet " + std::to_string(productId) + " to be listed", [&] {
            tablet = findTablet(productId);
            return tablet && (!withBulk || !tablet->bulkPath.empty());
        });
    if (!appeared)
        throw std::runtime_error(appeared.message());
    return *tablet;
}

void waitForRemoval(std::uint16_t productId) {
    EXPECT_TRUE(QELD::Test::eventually("tablet " + std::to_string(productId) + " to be gone",
                                       [&] { return !findTablet(productId); }));
}

// A picture of the given size in 24-bit BGR whose bytes all differ from
// their neighbours.
std::vector<std::uint8_t> testPicture(int width, int height) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    return bytes;
}

// The picture as the screen shows it: RGB instead of BGR.
std::vector<std::uint8_t> asScreen(std::vector<std::uint8_t> bgr) {
    for (std::size_t i = 0; i + 2 < bgr.size(); i += 3)
        std::swap(bgr[i], bgr[i + 2]);
    return bgr;
}

// What the reader hands to the report callback, with the number of queues
// it names, as it comes.
class ReportLog {
public:
    ReportCallback callback() {
        return [this](const Report& report, std::size_t queues) {
            {
                std::lock_guard lock(mutex_);
                reports_.push_back(report);
                queues_.push_back(queues);
            }
            changed_.notify_all();
        };
    }

    // Waits until that many reports have come in all; false after 2 s.
    bool waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 2s, [&] { return reports_.size() >= count; });
    }

    std::vector<Report> reports() {
        std::lock_guard lock(mutex_);
        return reports_;
    }

    std::vector<std::size_t> queues() {
        std::lock_guard lock(mutex_);
        return queues_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Report> reports_;
    std::vector<std::size_t> queues_;
};

// Input reports 0x01 of 8 bytes that differ in their last byte.
std::vector<Report> inputReports(std::uint8_t first, std::uint8_t count) {
    std::vector<Report> reports;
    for (std::uint8_t i = 0; i < count; ++i)
        reports.push_back({0x01, 0xA5, 0, 0, 0, 0, 0xFF, static_cast<std::uint8_t>(first + i)});
    return reports;
}

struct VirtualTabletTest : ::testing::Test {
    QELD::Test::VirtualTablets bus;
    std::shared_ptr<Win32::WinusbDll> winusb = std::make_shared<Win32::WinusbDll>();

    std::unique_ptr<UsbInterface> open(const TabletDevice& device) {
        auto tablet = std::make_unique<UsbInterface>(winusb);
        const std::error_code code = tablet->open(device, Access::Exclusive);
        EXPECT_FALSE(code) << code.message();
        return tablet;
    }

    // Has the tablet send the reports, in order.
    void send(int slot, const std::vector<Report>& reports) {
        std::string arguments = "input " + std::to_string(slot);
        for (const Report& report : reports) {
            arguments += ' ';
            for (std::uint8_t byte : report) {
                char digits[3];
                std::snprintf(digits, sizeof digits, "%02x", byte);
                arguments += digits;
            }
        }
        bus.run(arguments);
    }
};

TEST_F(VirtualTabletTest, ListsTheFamilysTabletsWithTheirBulkInterfaces) {
    bus.plug("QEL40 --bulk");
    bus.plug("QEL50 --noncomposite");
    bus.plug("QEL10");
    bus.plug("0C1F");
    const TabletDevice withBulk = waitForTablet(qel40, true);
    const TabletDevice single = waitForTablet(qel50);
    const TabletDevice withoutBulk = waitForTablet(qel10);

    EXPECT_EQ(withBulk.idVendor, 0x2B7C);
    EXPECT_EQ(withBulk.revision, 0x0100);
    EXPECT_NE(withBulk.hidPath, withBulk.bulkPath);
    EXPECT_TRUE(single.bulkPath.empty());
    EXPECT_TRUE(withoutBulk.bulkPath.empty());
    EXPECT_FALSE(findTablet(0x0C1F));
    const auto tablets = listTablets();
    EXPECT_EQ(tablets.size(), 3u);
    for (const TabletDevice& tablet : tablets) {
        EXPECT_FALSE(tablet.hidPath.empty());
        EXPECT_EQ(mostRecentPowerState(tablet.deviceInstanceId), static_cast<ULONG>(PowerDeviceD0));
    }
}

TEST_F(VirtualTabletTest, OpenReadsIdentityReportLengthsAndScreenSize) {
    bus.plug("QEL40 --bulk --size 200x96");
    const auto tablet = open(waitForTablet(qel40, true));
    EXPECT_TRUE(tablet->isOpen());
    EXPECT_TRUE(tablet->canWriteBulk());
    EXPECT_EQ(tablet->productId(), qel40);
    ReportLengthTable lengths{};
    ASSERT_TRUE(tablet->getFeatureLengths(lengths));
    EXPECT_EQ(lengths[0x03], 5);
    EXPECT_EQ(lengths[0x09], 17);
    const auto capability = Protocol(*tablet).readCapability();
    EXPECT_EQ(capability.width, 200);
    EXPECT_EQ(capability.height, 96);
    tablet->close();
    EXPECT_FALSE(tablet->isOpen());
    EXPECT_FALSE(tablet->canWriteBulk());
    EXPECT_THROW(tablet->productId(), Interface::not_connected_error);
}

TEST_F(VirtualTabletTest, OpenOfAVanishedTabletReturnsFileNotFound) {
    const int slot = bus.plug("QEL40");
    const TabletDevice device = waitForTablet(qel40);
    bus.unplug(slot);
    waitForRemoval(qel40);
    UsbInterface tablet(winusb);
    const std::error_code code = tablet.open(device, Access::Exclusive);
    EXPECT_EQ(code.value(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(tablet.isOpen());
}

TEST_F(VirtualTabletTest, PicturesArriveIntactThroughReportsAndThroughTheBulkPipe) {
    const int reports = bus.plug("QEL50 --size 61x23");
    const int bulk = bus.plug("QEL60 --bulk --size 61x23");
    const auto picture = testPicture(61, 23);

    const auto viaReports = open(waitForTablet(qel50));
    EXPECT_FALSE(viaReports->canWriteBulk());
    EXPECT_TRUE(Protocol(*viaReports)
                    .uploadImage(encodingModeFor(qel50, false), picture.data(), picture.size()));
    EXPECT_EQ(bus.screen(reports), asScreen(picture));

    const auto viaBulk = open(waitForTablet(0x0C1A, true));
    ASSERT_TRUE(viaBulk->canWriteBulk());
    EXPECT_TRUE(Protocol(*viaBulk).uploadImage(encodingModeFor(0x0C1A, true), picture.data(),
                                               picture.size()));
    EXPECT_EQ(bus.screen(bulk), asScreen(picture));

    Protocol(*viaBulk).clearScreen();
    const auto blank = bus.screen(bulk);
    EXPECT_TRUE(std::all_of(blank.begin(), blank.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST_F(VirtualTabletTest, TheNextUploadRepairsAnInterruptedTransfer) {
    const int slot = bus.plug("QEL50 --size 40x10");
    const TabletDevice device = waitForTablet(qel50);
    const auto picture = testPicture(40, 10);
    {
        const auto tablet = open(device);
        Protocol protocol(*tablet);
        protocol.waitUntilAllowed(Protocol::StartImageReport, 0ms);
        const std::uint8_t start[2] = {Protocol::StartImageReport, 0x04};
        tablet->setFeature(start, sizeof start);
        protocol.sendImageBlock(picture.data(), 100);
        EXPECT_EQ(protocol.readStatus().status, Protocol::statusTransferOpen);
    }
    const auto tablet = open(device);
    EXPECT_TRUE(Protocol(*tablet).uploadImage(0x04, picture.data(), picture.size()));
    EXPECT_EQ(bus.screen(slot), asScreen(picture));
}

TEST_F(VirtualTabletTest, TabletInAStateWithoutUploadsIsLeftAlone) {
    const int slot = bus.plug("QEL50 --size 40x10");
    const auto tablet = open(waitForTablet(qel50));
    bus.fault(slot, "status 2");
    const auto picture = testPicture(40, 10);
    EXPECT_FALSE(Protocol(*tablet).uploadImage(0x04, picture.data(), picture.size()));
    bus.fault(slot, "status 7");
    EXPECT_THROW(Protocol(*tablet).sendImage(0x04, picture.data(), picture.size(), 0ms),
                 std::logic_error);
}

TEST_F(VirtualTabletTest, BulkPipeReportedAsInIsNotUsed) {
    const int slot = bus.plug("QEL40 --bulk");
    const TabletDevice device = waitForTablet(qel40, true);
    bus.fault(slot, "bulk-in");
    const auto tablet = open(device);
    EXPECT_TRUE(tablet->isOpen());
    EXPECT_FALSE(tablet->canWriteBulk());
    const std::uint8_t data[4] = {1, 2, 3, 4};
    EXPECT_THROW(tablet->writeBulk(data, sizeof data), Interface::write_not_supported_error);
}

TEST_F(VirtualTabletTest, UnplugDuringAnUploadEndsRequestsAndReader) {
    const int slot = bus.plug("QEL50 --size 40x10");
    const auto tablet = open(waitForTablet(qel50));
    auto queue = std::make_shared<ReportQueue>();
    tablet->impl()->attach(queue);
    tablet->impl()->setIdle(false);
    bus.fault(slot, "pull");
    const auto picture = testPicture(40, 10);
    EXPECT_THROW(Protocol(*tablet).uploadImage(0x04, picture.data(), picture.size()),
                 Interface::device_removed_error);
    // The reader ends by itself and hands its error to the subscribers.
    EXPECT_THROW(queue->pop(), Interface::device_removed_error);
    tablet->close();
    EXPECT_FALSE(tablet->isOpen());
}

// The service leaves the interface idle: the reader drains every report to
// the callback alone. Once subscribers are served, each report also reaches
// the queue, and the reader keeps reading between feature requests.
TEST_F(VirtualTabletTest, ReaderDrainsInjectedInputReports) {
    const int slot = bus.plug("QEL40");
    const TabletDevice device = waitForTablet(qel40);
    ReportLog log;
    auto queue = std::make_shared<ReportQueue>();
    UsbInterface tablet(winusb);
    tablet.setReportCallback(log.callback());
    tablet.impl()->attach(queue);
    ASSERT_FALSE(tablet.open(device, Access::Exclusive));

    const auto idle = inputReports(0x10, 3);
    send(slot, idle);
    ASSERT_TRUE(log.waitFor(3));
    EXPECT_EQ(log.reports(), idle);
    EXPECT_EQ(log.queues(), std::vector<std::size_t>(3, 0));

    tablet.impl()->setIdle(false);
    const auto served = inputReports(0x20, 2);
    send(slot, served);
    // The callback comes first, so the queue's waits below are short.
    ASSERT_TRUE(log.waitFor(5));
    EXPECT_EQ(queue->pop(), served[0]) << "idle reports never reach a queue";
    EXPECT_EQ(queue->pop(), served[1]);
    EXPECT_EQ(Protocol(tablet).readStatus().status, 0);
    const auto later = inputReports(0x30, 1);
    send(slot, later);
    ASSERT_TRUE(log.waitFor(6));
    EXPECT_EQ(queue->pop(), later[0]);
    EXPECT_EQ(log.queues().back(), 1u);
    EXPECT_TRUE(tablet.isOpen());
}

// Closing cancels the reader's waiting read; the tablet goes on sending to
// the next opening, and destruction with a read waiting ends as well.
TEST_F(VirtualTabletTest, CloseWithAReadWaitingEndsCleanly) {
    const int slot = bus.plug("QEL40");
    const TabletDevice device = waitForTablet(qel40);
    ReportLog log;
    {
        UsbInterface tablet(winusb);
        tablet.setReportCallback(log.callback());
        ASSERT_FALSE(tablet.open(device, Access::Exclusive));
        send(slot, inputReports(0x40, 1));
        ASSERT_TRUE(log.waitFor(1)); // the reader is in its loop
        // Time for the reader to post its next read: nothing outside it tells
        // when that read is waiting, and the close is to cancel one that is.
        std::this_thread::sleep_for(100ms);
        const auto start = std::chrono::steady_clock::now();
        tablet.close();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
        EXPECT_FALSE(tablet.isOpen());

        ASSERT_FALSE(tablet.open(device, Access::Exclusive));
        const auto next = inputReports(0x41, 1);
        send(slot, next);
        ASSERT_TRUE(log.waitFor(2));
        EXPECT_EQ(log.reports().back(), next[0]);
        // Again a read waiting, now for the destructor to cancel; and no
        // report may arrive meanwhile, which the count below checks.
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(log.reports().size(), 2u);
}

} // namespace
} // namespace Korva::QEL
