#include "tools/vtablet/tool/bus_client.h"

#include "common/error_categories.h"
#include "tools/vtablet/tool/devinfo_handle.h"

#include <algorithm>
#include <stdexcept>

namespace Korva::VTablet {

BusClient::BusClient() {
    const std::wstring path =
        firstInterfacePath(*reinterpret_cast<const GUID*>(&controlInterfaceGuid));
    if (path.empty())
        throw std::runtime_error("the virtual tablet bus is not running (run: vtablet install)");
    device_.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr));
    if (!device_)
        Win32::throwLastError("CreateFileW");
}

DWORD BusClient::control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize) {
    DWORD returned = 0;
    if (!DeviceIoControl(device_.get(), code, const_cast<void*>(in), inSize, out, outSize,
                         &returned, nullptr))
        Win32::throwLastError("DeviceIoControl");
    return returned;
}

std::uint32_t BusClient::plug(const TabletSetup& setup) {
    std::uint32_t slot = 0;
    control(ioctlPlug, &setup, sizeof setup, &slot, sizeof slot);
    return slot;
}

void BusClient::unplug(std::uint32_t slot) {
    control(ioctlUnplug, &slot, sizeof slot, nullptr, 0);
}

SlotInfo BusClient::query(std::uint32_t slot) {
    SlotInfo info{};
    control(ioctlQuery, &slot, sizeof slot, &info, sizeof info);
    return info;
}

void BusClient::setFaults(std::uint32_t slot, const Faults& faults) {
    const FaultRequest request{slot, faults};
    control(ioctlFaults, &request, sizeof request, nullptr, 0);
}

void BusClient::sendInput(std::uint32_t slot, const std::uint8_t* report) {
    InputRequest request{slot, {}};
    std::copy(report, report + inputReportLength, request.report);
    control(ioctlInput, &request, sizeof request, nullptr, 0);
}

std::vector<std::uint8_t> BusClient::screen(std::uint32_t slot, const TabletSetup& setup) {
    std::vector<std::uint8_t> rgb(std::size_t{setup.width} * setup.height * 3);
    rgb.resize(
        control(ioctlScreen, &slot, sizeof slot, rgb.data(), static_cast<DWORD>(rgb.size())));
    return rgb;
}

} // namespace Korva::VTablet
