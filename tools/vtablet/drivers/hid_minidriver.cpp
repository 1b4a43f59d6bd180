// The HID minidriver above each tablet's HID interface: it hands every
// request that hidclass passes it to the bus child below, as a USB HID
// minidriver would hand them to its interface.
#include "tools/vtablet/drivers/kernel.h"

using namespace Korva::VTablet::Kernel;

namespace {

PDEVICE_OBJECT lowerDevice(PDEVICE_OBJECT device) {
    return static_cast<HidDeviceExtension*>(device->DeviceExtension)->NextDeviceObject;
}

NTSTATUS NTAPI forward(PDEVICE_OBJECT device, PIRP irp) {
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(lowerDevice(device), irp);
}

NTSTATUS NTAPI forwardPower(PDEVICE_OBJECT device, PIRP irp) {
    PoStartNextPowerIrp(irp);
    IoSkipCurrentIrpStackLocation(irp);
    return PoCallDriver(lowerDevice(device), irp);
}

NTSTATUS NTAPI addDevice(PDRIVER_OBJECT, PDEVICE_OBJECT device) {
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

void NTAPI unload(PDRIVER_OBJECT) {}

} // namespace

extern "C" NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = forward;
    driver->MajorFunction[IRP_MJ_PNP] = forward;
    driver->MajorFunction[IRP_MJ_POWER] = forwardPower;
    driver->DriverExtension->AddDevice = addDevice;
    driver->DriverUnload = unload;
    HidMinidriverRegistration registration{};
    registration.Revision = hidRevision;
    registration.DriverObject = driver;
    registration.RegistryPath = registryPath;
    registration.DeviceExtensionSize = sizeof(void*);
    registration.DevicesArePolled = FALSE;
    return HidRegisterMinidriver(&registration);
}
