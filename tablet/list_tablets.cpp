#include "tablet/discovery.h"

#include "tablet/core/hardware_id.h"

// The interface class GUID is defined here; no import library carries it.
#include <initguid.h>

#include <hidclass.h>

#include <optional>

namespace Korva::QEL {
namespace {

// The first string of the device's hardware ids, or nothing.
std::optional<std::wstring> firstHardwareId(HDEVINFO set, SP_DEVINFO_DATA& device) {
    DWORD size = 0;
    if (!::SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_HARDWAREID, nullptr, nullptr, 0,
                                             &size) &&
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return std::nullopt;
    // Room for two terminators, in case the stored value lacks them.
    std::wstring text(size / sizeof(wchar_t) + 2, L'\0');
    if (!::SetupDiGetDeviceRegistryPropertyW(
            set, &device, SPDRP_HARDWAREID, nullptr, reinterpret_cast<BYTE*>(text.data()),
            static_cast<DWORD>(text.size() * sizeof(wchar_t)), nullptr))
        return std::nullopt;
    text.resize(text.find(L'\0'));
    return text;
}

} // namespace

std::vector<TabletDevice> listTablets() {
    std::vector<TabletDevice> tablets;
    const auto visit = [&](HDEVINFO set, SP_DEVINFO_DATA& device,
                           const SP_DEVICE_INTERFACE_DETAIL_DATA_W& detail) {
        const auto text = firstHardwareId(set, device);
        const auto id = text ? parseHardwareId(*text) : std::nullopt;
        if (!id || !isFamilyTablet(id->idVendor, id->idProduct))
            return true;
        const UsbDevice usb{id->idVendor,           id->idProduct,     id->revision,
                            id->hasInterfaceNumber, detail.DevicePath, device.DevInst};
        tablets.push_back(
            {usb.idVendor, usb.idProduct, usb.revision, usb.path,
             usb.hasInterfaceNumber ? findBulkInterfacePath(usb.deviceNode) : std::wstring(),
             usb.deviceNode, deviceInstanceId(usb.deviceNode)});
        return true;
    };
    enumerateHidInterfaces(visit, GUID_DEVINTERFACE_HID);
    return tablets;
}

} // namespace Korva::QEL
