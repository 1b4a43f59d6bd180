#include "tablet/discovery.h"

#include "common/error_categories.h"
#include "tablet/device_info_set.h"
#include "tablet/core/sibling_interface_id.h"

#include <cfgmgr32.h>

#include <optional>

namespace Korva::QEL {
namespace {

void check(CONFIGRET result, const char* function) {
    if (result != CR_SUCCESS)
        Win32::throwConfigRet(result, function);
}

} // namespace

std::wstring deviceInstanceId(DEVINST node) {
    ULONG length = 0;
    check(::CM_Get_Device_ID_Size(&length, node, 0), "CM_Get_Device_ID_Size");
    std::wstring id(length + 1, L'\0');
    check(::CM_Get_Device_IDW(node, id.data(), length + 1, 0), "CM_Get_Device_ID");
    id.resize(length);
    return id;
}

namespace {

// The instance id of the USB interface after the one that carries the HID
// node. Wine's configuration manager has no device tree: its CM_Get_Parent
// answers CR_NO_SUCH_DEVNODE for every node, so the id is found by name.
std::optional<std::wstring> nextInterfaceId(DEVINST hidNode) {
    DEVINST usbInterface = 0;
    const CONFIGRET parent = ::CM_Get_Parent(&usbInterface, hidNode, 0);
    if (parent == CR_NO_SUCH_DEVNODE)
        return siblingInterfaceId(deviceInstanceId(hidNode));
    check(parent, "CM_Get_Parent");
    DEVINST sibling = 0;
    check(::CM_Get_Sibling(&sibling, usbInterface, 0), "CM_Get_Sibling");
    return deviceInstanceId(sibling);
}

} // namespace

// The configuration manager's own interface list call is a stub on Wine
// that ends the process, so the sibling's interfaces are listed through
// SetupAPI with its instance id as the enumerator, which Windows documents
// as the same query.
std::wstring findBulkInterfacePath(DEVINST hidNode) {
    const auto id = nextInterfaceId(hidNode);
    std::wstring path;
    if (!id)
        return path;
    enumerateDeviceInterfaces(
        [&](HDEVINFO, SP_DEVINFO_DATA&, const SP_DEVICE_INTERFACE_DETAIL_DATA_W& detail) {
            path = detail.DevicePath;
            return false;
        },
        tabletBulkInterfaceGuid, id->c_str());
    return path;
}

// Where the platform keeps no power data for a device, the device is taken
// as fully on, so that opening it needs no wake-up delay. Windows then
// fails the query with ERROR_INVALID_DATA; Wine fails it without setting
// any error code.
ULONG mostRecentPowerState(const std::wstring& id) {
    Win32::unique_devinfo set(::SetupDiCreateDeviceInfoList(nullptr, nullptr));
    if (!set)
        Win32::throwLastError("SetupDiCreateDeviceInfoList");
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!::SetupDiOpenDeviceInfoW(set.get(), id.c_str(), nullptr, 0, &device))
        Win32::throwLastError("SetupDiOpenDeviceInfo");
    CM_POWER_DATA power{};
    ::SetLastError(ERROR_SUCCESS);
    if (!::SetupDiGetDeviceRegistryPropertyW(set.get(), &device, SPDRP_DEVICE_POWER_DATA, nullptr,
                                             reinterpret_cast<BYTE*>(&power), sizeof power,
                                             nullptr)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SUCCESS || error == ERROR_INVALID_DATA)
            return PowerDeviceD0;
        Win32::throwWin32(error, "SetupDiGetDeviceRegistryProperty");
    }
    return power.PD_MostRecentPowerState;
}

} // namespace Korva::QEL
