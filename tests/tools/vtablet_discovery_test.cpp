#include "tests/tools/vtablet_probe.h"
#include "tests/support/eventually.h"

#include <cfgmgr32.h>
#include <dbt.h>
extern "C" {
#include <winternl.h>
#include <hidusage.h>
#include <hidpi.h>
#include <hidsdi.h>
}

using namespace Korva::VTablet;
using namespace Korva::VTablet::Probe;

namespace {

const GUID& winusbGuid() {
    return *reinterpret_cast<const GUID*>(&winusbInterfaceGuid);
}

} // namespace

class VTabletDiscovery : public VirtualTablets {};

TEST_F(VTabletDiscovery, CompositeTabletShowsItsInterfaceAndBulkSibling) {
    const std::uint32_t slot = plug(0x0C16, 320, 200, true);
    const HidNode node = waitForHidNode(*bus, slot);
    ASSERT_FALSE(node.path.empty());
    EXPECT_EQ(node.hardwareId.rfind(L"HID\\VID_2B7C&PID_0C16&REV_0100&MI_00", 0), 0u)
        << std::string(node.hardwareId.begin(), node.hardwareId.end());
    EXPECT_EQ(node.parentId.rfind(L"USB\\VID_2B7C&PID_0C16&REV_0100&MI_00\\", 0), 0u);
    const std::wstring sibling = node.siblingId;
    EXPECT_EQ(sibling.rfind(L"USB\\VID_2B7C&PID_0C16&REV_0100&MI_01\\", 0), 0u);
    EXPECT_EQ(interfacePaths(winusbGuid(), sibling).size(), 1u);
}

TEST_F(VTabletDiscovery, NonCompositeAndBulklessTablets) {
    const std::uint32_t plain = plug(0x0C13, 396, 100, false, false);
    const std::uint32_t bulkless = plug(0x0C11, 396, 100, false, true);
    const HidNode a = waitForHidNode(*bus, plain);
    const HidNode b = waitForHidNode(*bus, bulkless);
    ASSERT_FALSE(a.path.empty());
    ASSERT_FALSE(b.path.empty());
    EXPECT_EQ(a.hardwareId.rfind(L"HID\\VID_2B7C&PID_0C13&REV_0100\\", 0), 0u)
        << "no &MI_ part on a non-composite tablet";
    const std::wstring sibling = b.siblingId;
    EXPECT_EQ(sibling.rfind(L"USB\\VID_2B7C&PID_0C11&REV_0100&MI_01\\", 0), 0u)
        << "a composite tablet always has its second interface";
    EXPECT_TRUE(interfacePaths(winusbGuid(), sibling).empty());
}

TEST_F(VTabletDiscovery, FourTabletsAtOnceEachWithItsOwnSibling) {
    const std::uint16_t products[] = {0x0C16, 0x0C17, 0x0C1A, 0x0C10};
    std::vector<std::uint32_t> slots;
    for (int i = 0; i < 4; ++i)
        slots.push_back(plug(products[i], 64, 32, i % 2 == 0, true));
    for (int i = 0; i < 4; ++i) {
        const HidNode node = waitForHidNode(*bus, slots[i]);
        ASSERT_FALSE(node.path.empty()) << i;
        const std::wstring sibling = node.siblingId;
        const std::wstring tail = L"\\QV" + std::to_wstring(slots[i]) + L"_" +
                                  std::to_wstring(bus->query(slots[i]).generation);
        ASSERT_GT(sibling.size(), tail.size()) << i;
        EXPECT_EQ(sibling.substr(sibling.size() - tail.size()), tail) << i;
        EXPECT_EQ(interfacePaths(winusbGuid(), sibling).size(), i % 2 == 0 ? 1u : 0u) << i;
    }
    const HidNode second = waitForHidNode(*bus, slots[1]);
    unplug(slots[1]);
    EXPECT_TRUE(Korva::QELD::Test::eventually("the HID node to go",
                                              [&] { return !hidNodeListed(second.path); }));
    EXPECT_FALSE(waitForHidNode(*bus, slots[2]).path.empty()) << "the others stay";
}

namespace {

// A hidden window registered for HID interface notifications.
class NotificationWindow {
public:
    NotificationWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VTabletProbe";
        RegisterClassW(&wc);
        window_ = CreateWindowW(L"VTabletProbe", L"", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance,
                                nullptr);
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        HidD_GetHidGuid(&filter.dbcc_classguid);
        registration_.reset(
            RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
    }
    ~NotificationWindow() {
        registration_.reset();
        DestroyWindow(window_);
    }
    bool registered() const { return bool(registration_); }

    // Pumps messages until an event of the kind arrives; its delay or -1.
    int waitFor(WPARAM event) {
        const auto start = std::chrono::steady_clock::now();
        last = 0;
        const auto seen =
            Korva::QELD::Test::eventually("device event " + std::to_string(event), [&] {
                MSG msg;
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageW(&msg);
                return last == event;
            });
        return seen ? static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - start)
                                           .count())
                    : -1;
    }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
        if (message == WM_DEVICECHANGE && (w == DBT_DEVICEARRIVAL || w == DBT_DEVICEREMOVECOMPLETE))
            last = w;
        return DefWindowProcW(window, message, w, l);
    }

    static inline WPARAM last = 0;
    HWND window_;
    Korva::Win32::unique_devnotify registration_;
};

} // namespace

TEST_F(VTabletDiscovery, ArrivalAndRemovalAreAnnounced) {
    NotificationWindow window;
    ASSERT_TRUE(window.registered());
    const std::uint32_t slot = plug(0x0C16, 320, 200);
    const int arrival = window.waitFor(DBT_DEVICEARRIVAL);
    EXPECT_GE(arrival, 0);
    unplug(slot);
    const int removal = window.waitFor(DBT_DEVICEREMOVECOMPLETE);
    EXPECT_GE(removal, 0);
    RecordProperty("arrival_ms", arrival);
    RecordProperty("removal_ms", removal);
}
