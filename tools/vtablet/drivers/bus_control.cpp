// The bus's control interface: the control tool plugs and unplugs tablets,
// injects faults, has a tablet send input reports and reads what it
// received.
#include "tools/vtablet/drivers/bus_types.h"

using namespace Korva::VTablet;
using namespace Korva::VTablet::Kernel;

namespace {

bool validSetup(const TabletSetup& setup) {
    return setup.width > 0 && setup.height > 0 && setup.width <= maxWidth &&
           setup.height <= maxHeight && (setup.composite || !setup.bulk);
}

// Gives the slot buffers for the new screen size; the old ones go.
bool allocateBuffers(Tablet& tablet, const TabletSetup& setup) {
    for (UCHAR** buffer : {&tablet.receive, &tablet.screen}) {
        if (*buffer)
            ExFreePoolWithTag(*buffer, poolTag);
        *buffer = static_cast<UCHAR*>(ExAllocatePoolWithTag(
            NonPagedPool, TabletModel::screenBufferBytes(setup.width, setup.height), poolTag));
    }
    return tablet.receive && tablet.screen;
}

NTSTATUS plug(Bus& bus, const TabletSetup& setup, ULONG& slot) {
    if (!validSetup(setup))
        return STATUS_INVALID_PARAMETER;
    {
        SpinLock guard(bus);
        for (slot = 0; slot < maxTablets && bus.tablets[slot].plugged; ++slot) {
        }
        if (slot == maxTablets)
            return STATUS_TOO_MANY_NODES;
        Tablet& tablet = bus.tablets[slot];
        if (!allocateBuffers(tablet, setup)) {
            tablet.used = false;
            return STATUS_INSUFFICIENT_RESOURCES;
        }
        tablet.model.reset(setup, tablet.receive, tablet.screen);
        tablet.used = true;
        tablet.plugged = true;
        tablet.generation = ++bus.generations;
    }
    IoInvalidateDeviceRelations(bus.pdo, BusRelations);
    return STATUS_SUCCESS;
}

template <class T> const T* input(PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (stack->Parameters.DeviceIoControl.InputBufferLength < sizeof(T))
        return nullptr;
    return static_cast<const T*>(irp->AssociatedIrp.SystemBuffer);
}

ULONG outputRoom(PIRP irp) {
    return IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl.OutputBufferLength;
}

NTSTATUS plugRequest(Bus& bus, PIRP irp) {
    const TabletSetup* setup = input<TabletSetup>(irp);
    if (!setup || outputRoom(irp) < sizeof(ULONG))
        return complete(irp, STATUS_INVALID_PARAMETER);
    ULONG slot = 0;
    const TabletSetup copy = *setup;
    const NTSTATUS status = plug(bus, copy, slot);
    if (!NT_SUCCESS(status))
        return complete(irp, status);
    publishDenyOpen(bus);
    *static_cast<ULONG*>(irp->AssociatedIrp.SystemBuffer) = slot;
    return complete(irp, STATUS_SUCCESS, sizeof(ULONG));
}

NTSTATUS unplugRequest(Bus& bus, PIRP irp) {
    const ULONG* slot = input<ULONG>(irp);
    if (!slot || *slot >= maxTablets || !bus.tablets[*slot].plugged)
        return complete(irp, STATUS_INVALID_PARAMETER);
    const ULONG which = *slot;
    unplug(bus, which, bus.tablets[which].generation);
    return complete(irp, STATUS_SUCCESS);
}

NTSTATUS queryRequest(Bus& bus, PIRP irp) {
    const ULONG* slot = input<ULONG>(irp);
    if (!slot || *slot >= maxTablets || outputRoom(irp) < sizeof(SlotInfo))
        return complete(irp, STATUS_INVALID_PARAMETER);
    Tablet& tablet = bus.tablets[*slot];
    auto* info = static_cast<SlotInfo*>(irp->AssociatedIrp.SystemBuffer);
    {
        SpinLock guard(bus);
        const TabletState state = tablet.model.state();
        info->plugged = tablet.plugged;
        info->used = tablet.used;
        info->generation = tablet.generation;
        info->state = state;
    }
    return complete(irp, STATUS_SUCCESS, sizeof(SlotInfo));
}

NTSTATUS faultRequest(Bus& bus, PIRP irp) {
    const FaultRequest* request = input<FaultRequest>(irp);
    if (!request || request->slot >= maxTablets || !bus.tablets[request->slot].used)
        return complete(irp, STATUS_INVALID_PARAMETER);
    {
        SpinLock guard(bus);
        bus.tablets[request->slot].model.setFaults(request->faults);
    }
    publishDenyOpen(bus);
    return complete(irp, STATUS_SUCCESS);
}

NTSTATUS screenRequest(Bus& bus, PIRP irp) {
    const ULONG* slot = input<ULONG>(irp);
    if (!slot || *slot >= maxTablets || !bus.tablets[*slot].used)
        return complete(irp, STATUS_INVALID_PARAMETER);
    Tablet& tablet = bus.tablets[*slot];
    ULONG length;
    {
        SpinLock guard(bus);
        const TabletSetup& setup = tablet.model.state().setup;
        length = TabletModel::screenBufferBytes(setup.width, setup.height);
        if (outputRoom(irp) >= length)
            RtlCopyMemory(irp->AssociatedIrp.SystemBuffer, tablet.model.screen(), length);
    }
    if (outputRoom(irp) < length)
        return complete(irp, STATUS_BUFFER_TOO_SMALL);
    return complete(irp, STATUS_SUCCESS, length);
}

// The report waits in the tablet's model and goes to the HID child's read,
// at once if one waits. Like the plug, it is the tool's word on the slot, so
// it does not pass the latency and refuse faults of the host's requests.
NTSTATUS inputRequest(Bus& bus, PIRP irp) {
    const InputRequest* request = input<InputRequest>(irp);
    if (!request || request->slot >= maxTablets)
        return complete(irp, STATUS_INVALID_PARAMETER);
    Tablet& tablet = bus.tablets[request->slot];
    Result result;
    {
        SpinLock guard(bus);
        result = tablet.plugged ? tablet.model.queueInput(request->report, sizeof request->report)
                                : Result::NotConnected;
    }
    if (result == Result::Ok)
        sendInput(bus, tablet);
    return complete(irp, result == Result::Ok             ? STATUS_SUCCESS
                         : result == Result::NotConnected ? STATUS_DEVICE_NOT_CONNECTED
                                                          : STATUS_DEVICE_BUSY);
}

} // namespace

namespace Korva::VTablet::Kernel {

void publishDenyOpen(Bus& bus) {
    ULONG denied = 0;
    {
        SpinLock guard(bus);
        for (ULONG slot = 0; slot < maxTablets; ++slot) {
            if (bus.tablets[slot].used && bus.tablets[slot].model.state().faults.denyOpen)
                denied |= 1u << slot;
        }
    }
    RtlWriteRegistryValue(RTL_REGISTRY_SERVICES, denyOpenKey, denyOpenValue, REG_DWORD, &denied,
                          sizeof denied);
}

// Takes the tablet off the bus: reads waiting on it fail as on a device that
// is gone, and the PnP manager removes its children once told.
bool takeOff(Bus& bus, ULONG slot, ULONG generation) {
    Tablet& tablet = bus.tablets[slot];
    {
        SpinLock guard(bus);
        if (!tablet.plugged || tablet.generation != generation)
            return false;
        tablet.plugged = false;
        forgetChildren(bus, tablet);
    }
    failPendingReads(bus, tablet);
    return true;
}

void unplug(Bus& bus, ULONG slot, ULONG generation) {
    if (takeOff(bus, slot, generation))
        IoInvalidateDeviceRelations(bus.pdo, BusRelations);
}

NTSTATUS controlRequest(Bus& bus, PIRP irp) {
    switch (IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl.IoControlCode) {
    case ioctlPlug:
        return plugRequest(bus, irp);
    case ioctlUnplug:
        return unplugRequest(bus, irp);
    case ioctlQuery:
        return queryRequest(bus, irp);
    case ioctlFaults:
        return faultRequest(bus, irp);
    case ioctlScreen:
        return screenRequest(bus, irp);
    case ioctlInput:
        return inputRequest(bus, irp);
    default:
        return complete(irp, STATUS_INVALID_DEVICE_REQUEST);
    }
}

} // namespace Korva::VTablet::Kernel
