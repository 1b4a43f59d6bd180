#include "tools/vtablet/tool/installer.h"

#include "common/error_categories.h"
#include "tools/vtablet/model/control_codes.h"
#include "tools/vtablet/tool/devinfo_handle.h"

#include <newdev.h>

#include <fstream>
#include <iterator>
#include <string>

namespace Korva::VTablet {

namespace {

constexpr wchar_t busInstance[] = L"ROOT\\QELVBUS\\0000";
constexpr wchar_t busHardwareId[] = L"ROOT\\QELVBUS\0"; // a multi-string

std::string contents(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// An image still loaded (after an uninstall, until the wineserver restarts)
// cannot be replaced; an identical one need not be.
void copyImages(const std::wstring& folder) {
    wchar_t system[MAX_PATH];
    if (!GetSystemDirectoryW(system, MAX_PATH))
        Win32::throwLastError("GetSystemDirectoryW");
    for (const wchar_t* image : {L"qelvbus.sys", L"qelvhid.sys", L"qelvflt.sys"}) {
        const std::wstring source = folder + L"\\" + image;
        const std::wstring target = std::wstring(system) + L"\\drivers\\" + image;
        if (contents(source) == contents(target))
            continue;
        if (!CopyFileW(source.c_str(), target.c_str(), FALSE))
            Win32::throwLastError("CopyFileW (a changed driver that is still loaded needs a "
                                  "new wineserver)");
    }
}

void stageInf(const std::wstring& path) {
    if (!SetupCopyOEMInfW(path.c_str(), nullptr, SPOST_PATH, 0, nullptr, 0, nullptr, nullptr))
        Win32::throwLastError("SetupCopyOEMInfW");
}

// Creates ROOT\QELVBUS\0000 unless it exists already.
void createBusNode() {
    unique_devinfo set(SetupDiCreateDeviceInfoList(nullptr, nullptr));
    if (!set)
        Win32::throwLastError("SetupDiCreateDeviceInfoList");
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (SetupDiOpenDeviceInfoW(set.get(), busInstance, nullptr, 0, &device))
        return;
    if (!SetupDiCreateDeviceInfoW(set.get(), busInstance, &GUID_NULL, nullptr, nullptr, 0, &device))
        Win32::throwLastError("SetupDiCreateDeviceInfoW");
    if (!SetupDiSetDeviceRegistryPropertyW(set.get(), &device, SPDRP_HARDWAREID,
                                           reinterpret_cast<const BYTE*>(busHardwareId),
                                           sizeof busHardwareId))
        Win32::throwLastError("SetupDiSetDeviceRegistryPropertyW");
    if (!SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set.get(), &device))
        Win32::throwLastError("SetupDiCallClassInstaller");
}

} // namespace

void installDrivers(const std::wstring& folder) {
    if (!firstInterfacePath(*reinterpret_cast<const GUID*>(&controlInterfaceGuid)).empty())
        return;
    copyImages(folder);
    stageInf(folder + L"\\qelvbus.inf");
    stageInf(folder + L"\\qelvflt.inf");
    createBusNode();
    BOOL reboot = FALSE;
    if (!UpdateDriverForPlugAndPlayDevicesW(nullptr, busHardwareId,
                                            (folder + L"\\qelvbus.inf").c_str(), INSTALLFLAG_FORCE,
                                            &reboot))
        Win32::throwLastError("UpdateDriverForPlugAndPlayDevicesW");
}

void uninstallDrivers() {
    unique_devinfo set(SetupDiCreateDeviceInfoList(nullptr, nullptr));
    if (!set)
        Win32::throwLastError("SetupDiCreateDeviceInfoList");
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!SetupDiOpenDeviceInfoW(set.get(), busInstance, nullptr, 0, &device))
        return;
    if (!SetupDiCallClassInstaller(DIF_REMOVE, set.get(), &device))
        Win32::throwLastError("SetupDiCallClassInstaller");
}

} // namespace Korva::VTablet
