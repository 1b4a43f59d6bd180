#include "tests/tools/vtablet_probe.h"

#include "tools/vtablet/tool/devinfo_handle.h"
#include "tools/vtablet/tool/installer.h"
#include "tests/support/eventually.h"
#include "tests/support/virtual_tablets.h"
#include "tests/support/wine_paths.h"

#include <cfgmgr32.h>
extern "C" {
#include <winternl.h>
#include <hidusage.h>
#include <hidpi.h>
#include <hidsdi.h>
}

#include <fstream>
#include <iterator>

namespace Korva::VTablet::Probe {

std::unique_ptr<BusClient> VirtualTablets::bus;

void VirtualTablets::SetUpTestSuite() {
    installDrivers(QELD::Test::windowsPath(std::string_view(VTABLET_FOLDER)));
    if (!bus)
        bus = std::make_unique<BusClient>();
}

void VirtualTablets::TearDown() {
    for (std::uint32_t slot : plugged) {
        if (bus->query(slot).plugged)
            bus->unplug(slot);
    }
}

std::uint32_t VirtualTablets::plug(std::uint16_t productId, std::uint16_t width,
                                   std::uint16_t height, bool bulk, bool composite,
                                   std::uint32_t busyPolls) {
    const TabletSetup setup{productId, width, height, bulk, composite, busyPolls, 0, 0};
    const std::uint32_t slot = bus->plug(setup);
    plugged.push_back(slot);
    return slot;
}

void VirtualTablets::unplug(std::uint32_t slot) {
    bus->unplug(slot);
}

void VirtualTablets::setFaults(std::uint32_t slot, const Faults& faults) {
    bus->setFaults(slot, faults);
}

namespace {

GUID hidGuid() {
    GUID guid;
    HidD_GetHidGuid(&guid);
    return guid;
}

std::wstring firstHardwareId(HDEVINFO set, SP_DEVINFO_DATA& device) {
    wchar_t ids[1024] = {};
    if (!SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_HARDWAREID, nullptr,
                                           reinterpret_cast<BYTE*>(ids), sizeof ids - 4, nullptr))
        return {};
    return ids;
}

// Walks the present HID interfaces; the callback gets the instance id.
void forEachHidInterface(
    const std::function<void(HDEVINFO, SP_DEVINFO_DATA&, const std::wstring& path)>& visit) {
    const GUID guid = hidGuid();
    unique_devinfo set(
        SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    ASSERT_TRUE(set);
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    for (DWORD i = 0; SetupDiEnumDeviceInterfaces(set.get(), nullptr, &guid, i, &data); ++i) {
        std::vector<BYTE> buffer(2048);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof *detail;
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (SetupDiGetDeviceInterfaceDetailW(set.get(), &data, detail,
                                             static_cast<DWORD>(buffer.size()), nullptr, &device))
            visit(set.get(), device, detail->DevicePath);
    }
}

bool endsWith(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() &&
           _wcsicmp(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

bool deviceExists(const std::wstring& instance) {
    unique_devinfo set(SetupDiCreateDeviceInfoList(nullptr, nullptr));
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    return set && SetupDiOpenDeviceInfoW(set.get(), instance.c_str(), nullptr, 0, &device);
}

} // namespace

std::wstring deviceInstanceId(DWORD devInst) {
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
    if (CM_Get_Device_IDW(devInst, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS)
        return {};
    return id;
}

HidNode waitForHidNode(BusClient& bus, std::uint32_t slot) {
    const SlotInfo info = bus.query(slot);
    const std::wstring tail =
        L"\\QV" + std::to_wstring(slot) + L"_" + std::to_wstring(info.generation);
    HidNode node;
    EXPECT_TRUE(Korva::QELD::Test::eventually("the HID node of slot " + std::to_string(slot), [&] {
        forEachHidInterface([&](HDEVINFO set, SP_DEVINFO_DATA& device, const std::wstring& path) {
            const std::wstring id = deviceInstanceId(device.DevInst);
            if (!endsWith(id, tail))
                return;
            const std::wstring parent = L"USB" + id.substr(3);
            std::wstring sibling = parent;
            const auto mi = sibling.find(L"&MI_00\\");
            if (mi != std::wstring::npos)
                sibling.replace(mi, 6, L"&MI_01");
            node = HidNode{path, firstHardwareId(set, device), deviceExists(parent) ? parent : L"",
                           mi != std::wstring::npos && deviceExists(sibling) ? sibling : L""};
        });
        return !node.path.empty();
    }));
    return node;
}

bool hidNodeListed(const std::wstring& path) {
    bool found = false;
    forEachHidInterface([&](HDEVINFO, SP_DEVINFO_DATA&, const std::wstring& candidate) {
        found = found || _wcsicmp(candidate.c_str(), path.c_str()) == 0;
    });
    return found;
}

std::vector<std::wstring> interfacePaths(const GUID& interfaceClass, const std::wstring& instance) {
    std::vector<std::wstring> paths;
    unique_devinfo set(SetupDiGetClassDevsW(&interfaceClass, instance.c_str(), nullptr,
                                            DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set)
        return paths;
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    for (DWORD i = 0; SetupDiEnumDeviceInterfaces(set.get(), nullptr, &interfaceClass, i, &data);
         ++i) {
        std::vector<BYTE> buffer(2048);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof *detail;
        if (SetupDiGetDeviceInterfaceDetailW(set.get(), &data, detail,
                                             static_cast<DWORD>(buffer.size()), nullptr, nullptr))
            paths.push_back(detail->DevicePath);
    }
    return paths;
}

Win32::unique_file openOverlapped(const std::wstring& path) {
    return Win32::unique_file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
}

bool setReport(HANDLE hid, Bytes report) {
    return HidD_SetFeature(hid, report.data(), static_cast<ULONG>(report.size()));
}

bool getReport(HANDLE hid, Bytes& report) {
    return HidD_GetFeature(hid, report.data(), static_cast<ULONG>(report.size()));
}

void uploadByReports(HANDLE hid, std::uint8_t mode, const Bytes& image) {
    ASSERT_TRUE(setReport(hid, {0x25, mode})) << GetLastError();
    for (std::size_t offset = 0; offset < image.size(); offset += 253) {
        const std::size_t n = std::min<std::size_t>(253, image.size() - offset);
        Bytes report(256, 0);
        report[0] = 0x26;
        report[1] = static_cast<std::uint8_t>(n);
        std::copy(image.begin() + offset, image.begin() + offset + n, report.begin() + 3);
        ASSERT_TRUE(setReport(hid, report)) << GetLastError();
    }
    ASSERT_TRUE(setReport(hid, {0x27, 0x00})) << GetLastError();
}

namespace {

template <class F> void bind(HMODULE module, const char* name, F& function) {
    function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

WinUsbDouble::WinUsbDouble() : module(LoadLibraryW(L"WINUSB.DLL")) {
    if (!module)
        return;
    bind(module, "WinUsb_Initialize", initialize);
    bind(module, "WinUsb_Free", freeHandle);
    bind(module, "WinUsb_QueryPipe", queryPipe);
    bind(module, "WinUsb_WritePipe", writePipe);
    bind(module, "WinUsb_GetOverlappedResult", result);
}

WinUsbDouble::~WinUsbDouble() {
    if (module)
        FreeLibrary(module);
}

bool WinUsbDouble::loaded() const {
    return module && initialize && freeHandle && queryPipe && writePipe && result;
}

DWORD runTool(const std::wstring& arguments, std::string& output) {
    auto result = QELD::Test::runVirtualTabletTool(arguments);
    output = std::move(result.output);
    return result.exitCode;
}

Bytes screenOf(BusClient& bus, std::uint32_t slot) {
    return bus.screen(slot, bus.query(slot).state.setup);
}

} // namespace Korva::VTablet::Probe

namespace Korva::VTablet::Probe {

std::uint8_t statusOf(HANDLE hid) {
    Bytes report{0x03, 0, 0, 0, 0};
    EXPECT_TRUE(getReport(hid, report)) << GetLastError();
    return report[1];
}

PendingRead::PendingRead(HANDLE hid) : hid_(hid), buffer_(4096), event_(Win32::createEvent()) {
    overlapped_.hEvent = event_.get();
    pending_ = !ReadFile(hid_, buffer_.data(), 4096, nullptr, &overlapped_) &&
               GetLastError() == ERROR_IO_PENDING;
}

PendingRead::~PendingRead() {
    if (pending_ && WaitForSingleObject(event_.get(), 0) != WAIT_OBJECT_0) {
        CancelIo(hid_);
        DWORD read = 0;
        GetOverlappedResult(hid_, &overlapped_, &read, TRUE);
    }
}

DWORD PendingRead::finish(int milliseconds) {
    if (WaitForSingleObject(event_.get(), milliseconds) != WAIT_OBJECT_0)
        return WAIT_TIMEOUT;
    return GetOverlappedResult(hid_, &overlapped_, &received_, TRUE) ? 0 : GetLastError();
}

void OneTablet::plugOne(std::uint16_t productId, std::uint16_t width, std::uint16_t height,
                        bool bulk, std::uint32_t busyPolls) {
    slot = plug(productId, width, height, bulk, true, busyPolls);
    node = waitForHidNode(*bus, slot);
    ASSERT_FALSE(node.path.empty());
    hid = openOverlapped(node.path);
    ASSERT_TRUE(hid) << GetLastError();
}

} // namespace Korva::VTablet::Probe
