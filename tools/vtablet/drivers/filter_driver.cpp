// Function driver above the HID node that hidclass creates for a virtual
// tablet. It passes every request down unchanged, except that a request
// hidclass fails because the device is being removed (STATUS_DELETE_PENDING
// on Wine) ends with STATUS_DEVICE_NOT_CONNECTED, as a request in flight on a
// pulled tablet does on Windows.
#include "tools/vtablet/drivers/kernel.h"

using namespace Korva::VTablet::Kernel;

namespace {

struct Filter {
    PDEVICE_OBJECT self;
    PDEVICE_OBJECT lower;
};

Filter& filterOf(PDEVICE_OBJECT device) {
    return *static_cast<Filter*>(device->DeviceExtension);
}

NTSTATUS NTAPI mapRemoval(PDEVICE_OBJECT, PIRP irp, PVOID) {
    if (irp->IoStatus.Status == STATUS_DELETE_PENDING)
        irp->IoStatus.Status = STATUS_DEVICE_NOT_CONNECTED;
    if (irp->PendingReturned)
        IoMarkIrpPending(irp);
    return STATUS_CONTINUE_COMPLETION;
}

NTSTATUS NTAPI passDown(PDEVICE_OBJECT device, PIRP irp) {
    IoCopyCurrentIrpStackLocationToNext(irp);
    IoSetCompletionRoutine(irp, mapRemoval, nullptr, TRUE, TRUE, TRUE);
    const NTSTATUS status = IoCallDriver(filterOf(device).lower, irp);
    return status == STATUS_DELETE_PENDING ? STATUS_DEVICE_NOT_CONNECTED : status;
}

NTSTATUS NTAPI dispatchPnp(PDEVICE_OBJECT device, PIRP irp) {
    Filter& filter = filterOf(device);
    const UCHAR minor = IoGetCurrentIrpStackLocation(irp)->MinorFunction;
    IoSkipCurrentIrpStackLocation(irp);
    const NTSTATUS status = IoCallDriver(filter.lower, irp);
    if (minor == IRP_MN_REMOVE_DEVICE) {
        IoDetachDevice(filter.lower);
        IoDeleteDevice(filter.self);
    }
    return status;
}

NTSTATUS NTAPI dispatchPower(PDEVICE_OBJECT device, PIRP irp) {
    PoStartNextPowerIrp(irp);
    IoSkipCurrentIrpStackLocation(irp);
    return PoCallDriver(filterOf(device).lower, irp);
}

NTSTATUS NTAPI addDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT pdo) {
    PDEVICE_OBJECT device;
    const NTSTATUS status =
        IoCreateDevice(driver, sizeof(Filter), nullptr, FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
    if (!NT_SUCCESS(status))
        return status;
    Filter& filter = filterOf(device);
    filter.self = device;
    filter.lower = IoAttachDeviceToDeviceStack(device, pdo);
    if (!filter.lower) {
        IoDeleteDevice(device);
        return STATUS_NO_SUCH_DEVICE;
    }
    device->Flags |= filter.lower->Flags & (DO_BUFFERED_IO | DO_DIRECT_IO | DO_POWER_PAGABLE);
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

void NTAPI unload(PDRIVER_OBJECT) {}

} // namespace

extern "C" NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING) {
    for (ULONG major = 0; major <= IRP_MJ_MAXIMUM_FUNCTION; ++major)
        driver->MajorFunction[major] = passDown;
    driver->MajorFunction[IRP_MJ_PNP] = dispatchPnp;
    driver->MajorFunction[IRP_MJ_POWER] = dispatchPower;
    driver->DriverExtension->AddDevice = addDevice;
    driver->DriverUnload = unload;
    return STATUS_SUCCESS;
}
