#pragma once

#include "tablet/tablet_device.h"

#include <windows.h>

#include <cfgmgr32.h>
#include <setupapi.h>

#include <functional>
#include <string>
#include <vector>

namespace Korva::QEL {

// The device interface class that a tablet's WinUSB interface registers.
inline constexpr GUID tabletBulkInterfaceGuid = {
    0x6F1B3C2A, 0x9D4E, 0x4B7F, {0xA2, 0xC1, 0x5E, 0x8D, 0x0F, 0x3A, 0x7B, 0x64}};

// All present tablets of the family, in enumeration order. Throws
// std::system_error when the enumeration itself fails.
std::vector<TabletDevice> listTablets();

// Called per present device interface; false ends the walk.
using InterfaceVisitor =
    std::function<bool(HDEVINFO, SP_DEVINFO_DATA&, const SP_DEVICE_INTERFACE_DETAIL_DATA_W&)>;

// Visits every present interface of the class.
void enumerateHidInterfaces(const InterfaceVisitor& visit, const GUID& interfaceClass);

// Visits the present interfaces of the class that one device exposes.
void enumerateDeviceInterfaces(const InterfaceVisitor& visit, const GUID& interfaceClass,
                               const wchar_t* deviceInstanceId);

// The WinUSB interface path of the USB interface next to the one that
// carries the HID node; empty when it registers none.
std::wstring findBulkInterfacePath(DEVINST hidNode);

// The device's most recent power state; PowerDeviceD0 (1) is fully on.
ULONG mostRecentPowerState(const std::wstring& deviceInstanceId);

// The device instance id of a device node.
std::wstring deviceInstanceId(DEVINST node);

} // namespace Korva::QEL
