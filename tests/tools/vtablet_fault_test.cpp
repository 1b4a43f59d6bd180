#include "tests/tools/vtablet_probe.h"
#include "tests/support/eventually.h"

#include <winioctl.h>

#include <hidclass.h>

using namespace Korva::VTablet;
using namespace Korva::VTablet::Probe;

class VTabletFault : public OneTablet {
protected:
    void plugOne(bool bulk = false, std::uint32_t busyPolls = 0) {
        OneTablet::plugOne(0x0C16, 32, 8, bulk, busyPolls);
    }
    void inject(void (*change)(Faults&)) {
        Faults faults{};
        change(faults);
        setFaults(slot, faults);
    }
    std::uint8_t status() { return statusOf(hid.get()); }
};

TEST_F(VTabletFault, HeldStatusRefusesReports) {
    plugOne();
    for (int held : {2, 4, 255, 7}) {
        Faults faults{};
        faults.holdStatus = 1;
        faults.heldStatus = static_cast<std::uint8_t>(held);
        setFaults(slot, faults);
        EXPECT_EQ(status(), held);
        EXPECT_FALSE(setReport(hid.get(), {0x25, 0x02}));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
    }
    inject([](Faults&) {});
    EXPECT_EQ(status(), 0);
}

TEST_F(VTabletFault, BusyPollsRefuseCountLatencyAndZeroWidth) {
    plugOne(false, 1);
    inject([](Faults& f) { f.busyPollsOnce = 3; });
    uploadByReports(hid.get(), 0x02, Bytes(32 * 8 * 2, 0xFF));
    EXPECT_EQ(status(), 4);
    EXPECT_EQ(status(), 4);
    EXPECT_EQ(status(), 4);
    EXPECT_EQ(status(), 0);

    inject([](Faults& f) { f.refuseCount = 2; });
    Bytes report{0x03, 0, 0, 0, 0};
    EXPECT_FALSE(getReport(hid.get(), report));
    EXPECT_FALSE(getReport(hid.get(), report));
    EXPECT_TRUE(getReport(hid.get(), report));

    inject([](Faults& f) { f.latencyMs = 150; });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(getReport(hid.get(), report));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(140));

    inject([](Faults& f) { f.zeroWidth = 1; });
    Bytes capability(17, 0);
    capability[0] = 0x09;
    ASSERT_TRUE(getReport(hid.get(), capability));
    EXPECT_EQ(capability[7] | capability[8], 0);
    EXPECT_EQ(capability[10], 8);
}

// A pull during a transfer: the request in flight and a pending read fail
// with 1167, as on Windows, then the tablet disappears.
TEST_F(VTabletFault, PullInTheMiddleOfATransfer) {
    plugOne();
    PendingRead read(hid.get());
    ASSERT_TRUE(read.pending());

    inject([](Faults& f) { f.pullInTransfer = 1; });
    ASSERT_TRUE(setReport(hid.get(), {0x25, 0x02}));
    Bytes data(256, 0);
    data[0] = 0x26;
    data[1] = 1;
    EXPECT_FALSE(setReport(hid.get(), data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));

    EXPECT_EQ(read.finish(3000), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    EXPECT_TRUE(Korva::QELD::Test::eventually("the HID node to go",
                                              [&] { return !hidNodeListed(node.path); }));
    EXPECT_FALSE(bus->query(slot).plugged);
    Bytes report{0x03, 0, 0, 0, 0};
    EXPECT_FALSE(getReport(hid.get(), report));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED))
        << "a new request on the old handle: 5 on Wine, 1167 on Windows";
    Korva::Win32::unique_file again = openOverlapped(node.path);
    EXPECT_FALSE(again);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(VTabletFault, UnplugEndsAPendingReadWithDeviceNotConnected) {
    plugOne();
    PendingRead read(hid.get());
    ASSERT_TRUE(read.pending());
    unplug(slot);
    EXPECT_EQ(read.finish(3000), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
}

// The bulk interface of the tablet, initialised through the double.
class VTabletBulkFault : public VTabletFault {
protected:
    void openBulk() {
        plugOne(true);
        ASSERT_TRUE(winusb.loaded());
        const auto paths =
            interfacePaths(*reinterpret_cast<const GUID*>(&winusbInterfaceGuid), node.siblingId);
        ASSERT_EQ(paths.size(), 1u);
        file = openOverlapped(paths[0]);
        ASSERT_TRUE(winusb.initialize(file.get(), &usb)) << GetLastError();
    }
    void TearDown() override {
        if (usb)
            winusb.freeHandle(usb);
        VTabletFault::TearDown();
    }

    WinUsbDouble winusb;
    Korva::Win32::unique_file file;
    WINUSB_INTERFACE_HANDLE usb = nullptr;
};

TEST_F(VTabletBulkFault, PipeReportedAsIn) {
    openBulk();
    inject([](Faults& f) { f.bulkPipeIn = 1; });
    WINUSB_PIPE_INFORMATION pipe{};
    ASSERT_TRUE(winusb.queryPipe(usb, 0, 0, &pipe));
    EXPECT_EQ(pipe.PipeId, 0x81);
}

TEST_F(VTabletBulkFault, PullDuringABulkWrite) {
    openBulk();
    inject([](Faults& f) { f.pullInTransfer = 1; });
    ASSERT_TRUE(setReport(hid.get(), {0x25, 0x12}));
    Bytes image(32 * 8 * 2, 0x55);
    Korva::Win32::unique_event event = Korva::Win32::createEvent();
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    const BOOL written = winusb.writePipe(usb, 0x01, image.data(), static_cast<ULONG>(image.size()),
                                          nullptr, &overlapped);
    if (written || GetLastError() == ERROR_IO_PENDING) {
        DWORD transferred = 0;
        EXPECT_FALSE(winusb.result(usb, &overlapped, &transferred, TRUE));
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    EXPECT_TRUE(Korva::QELD::Test::eventually("the HID node to go",
                                              [&] { return !hidNodeListed(node.path); }));
}

// A hung tablet holds feature requests and bulk writes until they are
// cancelled or the fault is cleared; a tablet that denies opens refuses both
// of its interfaces as when another program holds them.
TEST_F(VTabletBulkFault, HangHoldsRequestsAndDenyOpenRefusesOpens) {
    openBulk();
    inject([](Faults& f) { f.hang = 1; });
    Korva::Win32::unique_event event = Korva::Win32::createEvent();
    OVERLAPPED feature{};
    feature.hEvent = event.get();
    Bytes report{0x03, 0, 0, 0, 0};
    ASSERT_FALSE(DeviceIoControl(hid.get(), IOCTL_HID_GET_FEATURE, nullptr, 0, report.data(),
                                 static_cast<DWORD>(report.size()), nullptr, &feature));
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    EXPECT_EQ(WaitForSingleObject(event.get(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(CancelIoEx(hid.get(), &feature));
    EXPECT_EQ(WaitForSingleObject(event.get(), 1000), WAIT_OBJECT_0) << "a held request cancels";

    OVERLAPPED write{};
    write.hEvent = event.get();
    Bytes image(32 * 8 * 2, 0x55);
    ASSERT_FALSE(winusb.writePipe(usb, 0x01, image.data(), static_cast<ULONG>(image.size()),
                                  nullptr, &write));
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    EXPECT_EQ(WaitForSingleObject(event.get(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
    inject([](Faults&) {});
    EXPECT_EQ(WaitForSingleObject(event.get(), 1000), WAIT_OBJECT_0) << "clearing releases it";

    // Wine completes CreateFile whatever the driver answers, so the denied
    // open fails at its first request (Windows: at CreateFile); the handle
    // opened before still works.
    inject([](Faults& f) { f.denyOpen = 1; });
    const auto deniedHid = openOverlapped(node.path);
    EXPECT_FALSE(getReport(deniedHid.get(), report));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(getReport(hid.get(), report));
    const auto bulk =
        interfacePaths(*reinterpret_cast<const GUID*>(&winusbInterfaceGuid), node.siblingId);
    ASSERT_EQ(bulk.size(), 1u);
    const auto deniedBulk = openOverlapped(bulk[0]);
    WINUSB_INTERFACE_HANDLE refused = nullptr;
    EXPECT_FALSE(winusb.initialize(deniedBulk.get(), &refused));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}
