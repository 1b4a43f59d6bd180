// The virtual USB bus of the QEL tablets: a function driver on a root
// node whose children are the tablets' USB interfaces. Every request of the
// driver arrives here and is routed by the kind of device object it is for.
#include "tools/vtablet/drivers/bus_types.h"

using namespace Korva::VTablet;
using namespace Korva::VTablet::Kernel;

namespace {

const GUID& asGuid(const Guid& g) {
    return *reinterpret_cast<const GUID*>(&g);
}

Kind kindOf(PDEVICE_OBJECT device) {
    return static_cast<Extension*>(device->DeviceExtension)->kind;
}

NTSTATUS passDown(Bus& bus, PIRP irp) {
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(bus.lower, irp);
}

void removeBus(Bus& bus) {
    IoSetDeviceInterfaceState(&bus.controlLink, FALSE);
    for (ULONG slot = 0; slot < maxTablets; ++slot) {
        Tablet& tablet = bus.tablets[slot];
        takeOff(bus, slot, tablet.generation);
        if (tablet.receive)
            ExFreePoolWithTag(tablet.receive, poolTag);
        if (tablet.screen)
            ExFreePoolWithTag(tablet.screen, poolTag);
    }
    RtlFreeUnicodeString(&bus.controlLink);
}

NTSTATUS busPnp(Bus& bus, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    switch (stack->MinorFunction) {
    case IRP_MN_START_DEVICE:
        IoSetDeviceInterfaceState(&bus.controlLink, TRUE);
        irp->IoStatus.Status = STATUS_SUCCESS;
        return passDown(bus, irp);
    case IRP_MN_QUERY_DEVICE_RELATIONS:
        if (stack->Parameters.QueryDeviceRelations.Type == BusRelations) {
            const NTSTATUS status = busRelations(bus, irp);
            if (!NT_SUCCESS(status))
                return complete(irp, status);
            irp->IoStatus.Status = status;
        }
        return passDown(bus, irp);
    case IRP_MN_REMOVE_DEVICE: {
        removeBus(bus);
        irp->IoStatus.Status = STATUS_SUCCESS;
        const NTSTATUS status = passDown(bus, irp);
        IoDetachDevice(bus.lower);
        IoDeleteDevice(bus.self);
        return status;
    }
    default:
        return passDown(bus, irp);
    }
}

NTSTATUS NTAPI dispatchPnp(PDEVICE_OBJECT device, PIRP irp) {
    if (kindOf(device) == Kind::Bus)
        return busPnp(*static_cast<Bus*>(device->DeviceExtension), irp);
    return childPnp(*static_cast<Child*>(device->DeviceExtension), irp);
}

NTSTATUS NTAPI dispatchPower(PDEVICE_OBJECT device, PIRP irp) {
    PoStartNextPowerIrp(irp);
    if (kindOf(device) == Kind::Bus) {
        Bus& bus = *static_cast<Bus*>(device->DeviceExtension);
        IoSkipCurrentIrpStackLocation(irp);
        return PoCallDriver(bus.lower, irp);
    }
    return complete(irp, STATUS_SUCCESS);
}

// The bulk interface is opened here; a tablet that denies opens refuses it
// as when another program holds it (denied_files.h).
NTSTATUS NTAPI dispatchCreateClose(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (kindOf(device) != Kind::BulkChild)
        return complete(irp, STATUS_SUCCESS);
    const Child& child = *static_cast<Child*>(device->DeviceExtension);
    DeniedFiles& denied = child.bus->deniedBulkFiles;
    if (stack->MajorFunction != IRP_MJ_CREATE) {
        denied.remove(stack->FileObject);
        return complete(irp, STATUS_SUCCESS);
    }
    bool denies;
    {
        SpinLock guard(*child.bus);
        denies = child.bus->tablets[child.slot].model.state().faults.denyOpen != 0;
    }
    if (denies && !denied.add(stack->FileObject))
        return complete(irp, DeniedFiles::status);
    return complete(irp, STATUS_SUCCESS);
}

NTSTATUS NTAPI dispatchControl(PDEVICE_OBJECT device, PIRP irp) {
    switch (kindOf(device)) {
    case Kind::Bus:
        return controlRequest(*static_cast<Bus*>(device->DeviceExtension), irp);
    case Kind::BulkChild:
        return bulkRequest(*static_cast<Child*>(device->DeviceExtension), irp);
    default:
        return complete(irp, STATUS_INVALID_DEVICE_REQUEST);
    }
}

NTSTATUS NTAPI dispatchInternalControl(PDEVICE_OBJECT device, PIRP irp) {
    if (kindOf(device) == Kind::HidChild)
        return hidRequest(*static_cast<Child*>(device->DeviceExtension), irp);
    return complete(irp, STATUS_INVALID_DEVICE_REQUEST);
}

NTSTATUS NTAPI addDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT pdo) {
    PDEVICE_OBJECT fdo;
    NTSTATUS status = IoCreateDevice(driver, sizeof(Bus), nullptr, FILE_DEVICE_BUS_EXTENDER,
                                     FILE_DEVICE_SECURE_OPEN, FALSE, &fdo);
    if (!NT_SUCCESS(status))
        return status;
    Bus& bus = *static_cast<Bus*>(fdo->DeviceExtension);
    bus.header.kind = Kind::Bus;
    bus.self = fdo;
    bus.pdo = pdo;
    KeInitializeSpinLock(&bus.lock);
    bus.deniedBulkFiles.init();
    for (Tablet& tablet : bus.tablets)
        InitializeListHead(&tablet.pendingReads);
    status =
        IoRegisterDeviceInterface(pdo, &asGuid(controlInterfaceGuid), nullptr, &bus.controlLink);
    bus.lower = NT_SUCCESS(status) ? IoAttachDeviceToDeviceStack(fdo, pdo) : nullptr;
    if (!bus.lower) {
        IoDeleteDevice(fdo);
        return NT_SUCCESS(status) ? STATUS_NO_SUCH_DEVICE : status;
    }
    fdo->Flags |= DO_BUFFERED_IO | DO_POWER_PAGABLE;
    fdo->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

void NTAPI unload(PDRIVER_OBJECT) {}

} // namespace

extern "C" NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING) {
    driver->MajorFunction[IRP_MJ_CREATE] = dispatchCreateClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatchCreateClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = dispatchCreateClose;
    driver->MajorFunction[IRP_MJ_PNP] = dispatchPnp;
    driver->MajorFunction[IRP_MJ_POWER] = dispatchPower;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatchControl;
    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = dispatchInternalControl;
    driver->DriverExtension->AddDevice = addDevice;
    driver->DriverUnload = unload;
    return STATUS_SUCCESS;
}
