#include "tablet/discovery.h"
#include "tablet/usb_interface.h"

#include <hidclass.h>

#include <cwctype>
#include <optional>
#include <string>

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

// Wine's own HID devices (keyboard and mouse) are present in every prefix;
// they are not tablets, and the platform keeps no power data for them.
TEST(Discovery, SkipsForeignHidDevicesAndTakesThemAsFullyOn) {
    std::vector<std::wstring> devices;
    enumerateHidInterfaces(
        [&](HDEVINFO, SP_DEVINFO_DATA& device, const SP_DEVICE_INTERFACE_DETAIL_DATA_W&) {
            devices.push_back(deviceInstanceId(device.DevInst));
            return true;
        },
        GUID_DEVINTERFACE_HID);
    ASSERT_FALSE(devices.empty());
    for (const std::wstring& id : devices)
        EXPECT_EQ(mostRecentPowerState(id), static_cast<ULONG>(PowerDeviceD0));
    int visits = 0;
    enumerateHidInterfaces(
        [&](HDEVINFO, SP_DEVINFO_DATA&, const SP_DEVICE_INTERFACE_DETAIL_DATA_W&) {
            ++visits;
            return false;
        },
        GUID_DEVINTERFACE_HID);
    EXPECT_EQ(visits, 1);
    for (const TabletDevice& tablet : listTablets())
        EXPECT_TRUE(isFamilyTablet(tablet.idVendor, tablet.idProduct));
}

// Virtual tablets of other tests may be listed too: the test picks a device
// whose path names another vendor.
TEST(Discovery, DeviceOfAnotherVendorOpensWithProductIdZero) {
    std::optional<TabletDevice> foreign;
    enumerateHidInterfaces(
        [&](HDEVINFO, SP_DEVINFO_DATA& device, const SP_DEVICE_INTERFACE_DETAIL_DATA_W& detail) {
            std::wstring path = detail.DevicePath;
            for (wchar_t& c : path)
                c = static_cast<wchar_t>(::towlower(c));
            if (path.find(L"vid_2b7c") != std::wstring::npos)
                return true;
            TabletDevice record;
            record.hidPath = detail.DevicePath;
            record.deviceNode = device.DevInst;
            record.deviceInstanceId = deviceInstanceId(device.DevInst);
            foreign = record;
            return false;
        },
        GUID_DEVINTERFACE_HID);
    ASSERT_TRUE(foreign);
    UsbInterface device(std::make_shared<Win32::WinusbDll>());
    const std::error_code code = device.open(*foreign, Access::Shared);
    ASSERT_FALSE(code) << code.message();
    EXPECT_TRUE(device.isOpen());
    EXPECT_FALSE(device.canWriteBulk());
    EXPECT_EQ(device.productId(), 0);
    // Closing cancels the reader's pending read.
    device.close();
    EXPECT_FALSE(device.isOpen());
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
