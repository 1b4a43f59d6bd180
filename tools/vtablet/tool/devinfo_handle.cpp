#include "tools/vtablet/tool/devinfo_handle.h"

#include "common/error_categories.h"

#include <vector>

namespace Korva::VTablet {

std::wstring firstInterfacePath(const GUID& interfaceClass) {
    unique_devinfo set(SetupDiGetClassDevsW(&interfaceClass, nullptr, nullptr,
                                            DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set)
        Win32::throwLastError("SetupDiGetClassDevsW");
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    if (!SetupDiEnumDeviceInterfaces(set.get(), nullptr, &interfaceClass, 0, &data))
        return {};
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailW(set.get(), &data, nullptr, 0, &size, nullptr);
    std::vector<BYTE> buffer(size);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof *detail;
    if (size == 0 ||
        !SetupDiGetDeviceInterfaceDetailW(set.get(), &data, detail, size, nullptr, nullptr))
        Win32::throwLastError("SetupDiGetDeviceInterfaceDetailW");
    return detail->DevicePath;
}

} // namespace Korva::VTablet
