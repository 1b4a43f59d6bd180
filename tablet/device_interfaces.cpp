#include "tablet/discovery.h"

#include "common/error_categories.h"
#include "tablet/device_info_set.h"

#include <memory>

namespace Korva::QEL {
namespace {

// The detail record of one interface, or nothing when the system will not
// give it; the device information record is filled in on the way.
std::unique_ptr<std::byte[]> interfaceDetail(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data,
                                             SP_DEVINFO_DATA& device) {
    DWORD size = 0;
    if (!::SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &size, nullptr) &&
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return nullptr;
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
        return nullptr;
    auto buffer = std::make_unique<std::byte[]>(size);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.get());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    device.cbSize = sizeof device;
    if (!::SetupDiGetDeviceInterfaceDetailW(set, &data, detail, size, nullptr, &device))
        return nullptr;
    return buffer;
}

void walk(HDEVINFO set, const InterfaceVisitor& visit, const GUID& interfaceClass) {
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!::SetupDiEnumDeviceInterfaces(set, nullptr, &interfaceClass, index, &data)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_NO_MORE_ITEMS)
                return;
            Win32::throwWin32(error, "SetupDiEnumDeviceInterfaces");
        }
        SP_DEVINFO_DATA device{};
        const auto detail = interfaceDetail(set, data, device);
        if (detail &&
            !visit(set, device,
                   *reinterpret_cast<const SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(detail.get())))
            return;
    }
}

} // namespace

void enumerateDeviceInterfaces(const InterfaceVisitor& visit, const GUID& interfaceClass,
                               const wchar_t* deviceInstanceId) {
    Win32::unique_devinfo set(::SetupDiGetClassDevsExW(&interfaceClass, deviceInstanceId, nullptr,
                                                       DIGCF_PRESENT | DIGCF_DEVICEINTERFACE,
                                                       nullptr, nullptr, nullptr));
    if (!set)
        Win32::throwLastError("SetupDiGetClassDevsEx");
    walk(set.get(), visit, interfaceClass);
}

void enumerateHidInterfaces(const InterfaceVisitor& visit, const GUID& interfaceClass) {
    enumerateDeviceInterfaces(visit, interfaceClass, nullptr);
}

} // namespace Korva::QEL
