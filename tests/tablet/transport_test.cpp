#include "tablet/usb_interface.h"

#include <gtest/gtest.h>

namespace Korva::QEL {
namespace {

TEST(UsbInterfaceClosed, RequestsNeedAnOpenDevice) {
    UsbInterface tablet(std::make_shared<Win32::WinusbDll>());
    EXPECT_FALSE(tablet.isOpen());
    EXPECT_FALSE(tablet.canWriteBulk());
    std::uint8_t report[5] = {0x03};
    EXPECT_THROW(tablet.getFeature(report, sizeof report), Interface::not_connected_error);
    EXPECT_THROW(tablet.setFeature(report, sizeof report), Interface::not_connected_error);
    EXPECT_THROW(tablet.productId(), Interface::not_connected_error);
    ReportLengthTable lengths;
    lengths.fill(7);
    EXPECT_THROW(tablet.getFeatureLengths(lengths), Interface::not_connected_error);
    EXPECT_EQ(lengths[0], 0);
    // An empty write returns before any check; a real one needs the device.
    tablet.writeBulk(report, 0);
    tablet.writeBulk(nullptr, 5);
    EXPECT_THROW(tablet.writeBulk(report, 1), Interface::not_connected_error);
    tablet.close();
    tablet.close();
}

TEST(WinusbBinding, LoadsOnceAndStaysLoaded) {
    Win32::WinusbDll dll;
    ASSERT_TRUE(dll.load());
    const auto free = dll.Free;
    EXPECT_NE(free, nullptr);
    EXPECT_NE(dll.FlushPipe, nullptr);
    EXPECT_TRUE(dll.load());
    EXPECT_EQ(dll.Free, free);
}

} // namespace
} // namespace Korva::QEL
