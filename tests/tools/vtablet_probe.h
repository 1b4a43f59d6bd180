#pragma once

// The Windows-side probe of the virtual tablet tests: it plugs tablets
// through the bus client and finds and drives them with the platform's own
// calls, as the product does, but with code of its own.
#include "common/unique_handle.h"
#include "tools/vtablet/tool/bus_client.h"

#include <gtest/gtest.h>
#include <winusb.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace Korva::VTablet::Probe {

using Bytes = std::vector<std::uint8_t>;

// Installs the drivers once; unplugs what a test plugged.
class VirtualTablets : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void TearDown() override;

    std::uint32_t plug(std::uint16_t productId, std::uint16_t width, std::uint16_t height,
                       bool bulk = false, bool composite = true, std::uint32_t busyPolls = 0);
    void unplug(std::uint32_t slot);
    void setFaults(std::uint32_t slot, const Faults& faults);

    static std::unique_ptr<BusClient> bus;
    std::vector<std::uint32_t> plugged;
};

// The status byte of the tablet's status report (0 after a failure, which
// the check also reports).
std::uint8_t statusOf(HANDLE hid);

// One overlapped 4096-byte read of a HID handle, started at construction;
// cancelled on destruction if it is still running.
class PendingRead {
public:
    explicit PendingRead(HANDLE hid);
    ~PendingRead();
    bool pending() const { return pending_; }
    // Waits for the read to end: 0 if it succeeded, its error code if it
    // failed, WAIT_TIMEOUT if it is still running after that time.
    DWORD finish(int milliseconds);
    // The bytes a finished read delivered.
    Bytes received() const { return Bytes(buffer_.begin(), buffer_.begin() + received_); }

private:
    HANDLE hid_;
    Bytes buffer_;
    DWORD received_ = 0;
    Win32::unique_event event_;
    OVERLAPPED overlapped_{};
    bool pending_;
};

// A tablet's HID node, waited for until it is listed under the HID
// interface class (empty after the time-out). Wine's configuration manager
// has no device tree (CM_Get_Parent and CM_Get_Sibling are stubs), so the
// parent and its next sibling are found by name, as hidclass names the HID
// node after its parent: HID\<id>\<instance> above USB\<id>\<instance>.
struct HidNode {
    std::wstring path;
    std::wstring hardwareId; // the first one
    std::wstring parentId;   // the USB interface node, empty if it does not exist
    std::wstring siblingId;  // the next interface node, empty if it does not exist
};
HidNode waitForHidNode(BusClient& bus, std::uint32_t slot);
bool hidNodeListed(const std::wstring& path);

// Paths of the present interfaces of a class on one device instance.
std::vector<std::wstring> interfacePaths(const GUID& interfaceClass, const std::wstring& instance);
std::wstring deviceInstanceId(DWORD devInst);

Win32::unique_file openOverlapped(const std::wstring& path);

// The tablet conversation: start, data (253-byte reports or one bulk
// write through the given callback), end.
bool setReport(HANDLE hid, Bytes report);
bool getReport(HANDLE hid, Bytes& report);
void uploadByReports(HANDLE hid, std::uint8_t mode, const Bytes& image);

// The WinUSB double's entry points, bound by name as the transport binds
// them; the program runs with WINEDLLOVERRIDES=winusb=n.
struct WinUsbDouble {
    WinUsbDouble();
    ~WinUsbDouble();
    bool loaded() const;

    HMODULE module;
    decltype(&WinUsb_Initialize) initialize = nullptr;
    decltype(&WinUsb_Free) freeHandle = nullptr;
    decltype(&WinUsb_QueryPipe) queryPipe = nullptr;
    decltype(&WinUsb_WritePipe) writePipe = nullptr;
    decltype(&WinUsb_GetOverlappedResult) result = nullptr;
};

// Runs vtablet.exe with the arguments; its standard output and error go
// through a file into output, with "\r\n" turned into "\n". Returns the
// exit code.
DWORD runTool(const std::wstring& arguments, std::string& output);

// The screen a tablet shows, as the tool would write it.
Bytes screenOf(BusClient& bus, std::uint32_t slot);

// One plugged tablet with its HID node found and opened.
class OneTablet : public VirtualTablets {
protected:
    void plugOne(std::uint16_t productId, std::uint16_t width, std::uint16_t height,
                 bool bulk = false, std::uint32_t busyPolls = 0);

    std::uint32_t slot = 0;
    HidNode node;
    Win32::unique_file hid;
};

} // namespace Korva::VTablet::Probe
