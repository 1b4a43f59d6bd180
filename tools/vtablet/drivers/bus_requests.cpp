// Requests that reach a tablet through its children: the HID minidriver
// requests of the HID interface and the bulk requests of the WinUSB double.
#include "tools/vtablet/drivers/bus_types.h"

#include "tools/vtablet/model/product_defaults.h"
#include "tools/vtablet/model/report_descriptor.h"

using namespace Korva::VTablet;
using namespace Korva::VTablet::Kernel;

namespace {

bool current(const Child& child, const Tablet& tablet) {
    return tablet.plugged && tablet.generation == child.generation;
}

void delay(ULONG milliseconds) {
    LARGE_INTEGER interval;
    interval.QuadPart = -10000LL * milliseconds;
    KeDelayExecutionThread(KernelMode, FALSE, &interval);
}

// Runs one request on the tablet's model under the bus lock, after the
// latency fault's delay, and turns its result into a status.
template <class Request> NTSTATUS onModel(Child& child, Request request) {
    Tablet& tablet = child.bus->tablets[child.slot];
    ULONG latency = 0;
    {
        SpinLock guard(*child.bus);
        if (!current(child, tablet))
            return STATUS_DEVICE_NOT_CONNECTED;
        if (tablet.model.state().faults.hang)
            return statusHeld;
        latency = tablet.model.state().faults.latencyMs;
    }
    if (latency)
        delay(latency);
    Result result;
    bool pulled;
    {
        SpinLock guard(*child.bus);
        if (!current(child, tablet))
            return STATUS_DEVICE_NOT_CONNECTED;
        result = request(tablet.model);
        pulled = tablet.model.pulled();
    }
    // A pulled tablet goes away after the request that found it gone; the
    // PnP manager removes its children once the request has been answered.
    if (pulled)
        unplug(*child.bus, child.slot, child.generation);
    switch (result) {
    case Result::Ok:
        return STATUS_SUCCESS;
    case Result::NotConnected:
        return STATUS_DEVICE_NOT_CONNECTED;
    default:
        return STATUS_UNSUCCESSFUL;
    }
}

NTSTATUS featureRequest(Child& child, PIRP irp, bool get) {
    auto* packet = static_cast<HID_XFER_PACKET*>(irp->UserBuffer);
    if (!packet || !packet->reportBuffer || packet->reportBufferLen == 0)
        return complete(irp, STATUS_INVALID_PARAMETER);
    const NTSTATUS status = onModel(child, [packet, get](TabletModel& model) {
        return get ? model.getFeature(packet->reportBuffer, packet->reportBufferLen)
                   : model.setFeature(packet->reportBuffer, packet->reportBufferLen);
    });
    return complete(irp, status, NT_SUCCESS(status) ? packet->reportBufferLen : 0);
}

NTSTATUS copyOut(PIRP irp, const void* data, ULONG length) {
    const ULONG room =
        IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl.OutputBufferLength;
    if (room < length)
        return complete(irp, STATUS_BUFFER_TOO_SMALL);
    RtlCopyMemory(irp->UserBuffer, data, length);
    return complete(irp, STATUS_SUCCESS, length);
}

NTSTATUS deviceDescriptor(PIRP irp) {
    HidDescriptor descriptor{};
    descriptor.bLength = sizeof descriptor;
    descriptor.bDescriptorType = 0x21;
    descriptor.bcdHID = 0x0111;
    descriptor.bNumDescriptors = 1;
    descriptor.bReportType = 0x22;
    descriptor.wReportLength = reportDescriptor().length;
    return copyOut(irp, &descriptor, sizeof descriptor);
}

NTSTATUS deviceAttributes(const Child& child, PIRP irp) {
    HidDeviceAttributes attributes{};
    attributes.Size = sizeof attributes;
    attributes.VendorID = vendorId;
    attributes.ProductID = child.setup.productId;
    attributes.VersionNumber = revision;
    return copyOut(irp, &attributes, sizeof attributes);
}

NTSTATUS deviceString(PIRP irp) {
    const auto id = reinterpret_cast<ULONG_PTR>(
        IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl.Type3InputBuffer);
    switch (id & 0xFFFF) {
    case HID_STRING_ID_IMANUFACTURER:
        return copyOut(irp, L"Korva", sizeof L"Korva");
    case HID_STRING_ID_IPRODUCT:
        return copyOut(irp, L"QEL virtual tablet", sizeof L"QEL virtual tablet");
    default:
        return complete(irp, STATUS_NOT_SUPPORTED);
    }
}

void NTAPI cancelRead(PDEVICE_OBJECT device, PIRP irp) {
    IoReleaseCancelSpinLock(irp->CancelIrql);
    Child& child = *static_cast<Child*>(device->DeviceExtension);
    {
        SpinLock guard(*child.bus);
        RemoveEntryList(&irp->Tail.Overlay.ListEntry);
        InitializeListHead(&irp->Tail.Overlay.ListEntry);
    }
    complete(irp, STATUS_CANCELLED);
}

// Puts a read on the tablet's list, under the bus lock; false when it was
// cancelled before its cancel routine was in place.
bool pend(Tablet& tablet, PIRP irp) {
    IoSetCancelRoutine(irp, cancelRead);
    if (irp->Cancel && IoSetCancelRoutine(irp, nullptr))
        return false;
    IoMarkIrpPending(irp);
    InsertTailList(&tablet.pendingReads, &irp->Tail.Overlay.ListEntry);
    return true;
}

// A read takes the oldest input report the tablet holds; without one it
// waits until a report comes, it is cancelled or the tablet goes away.
NTSTATUS queueRead(Child& child, PIRP irp) {
    Tablet& tablet = child.bus->tablets[child.slot];
    UCHAR report[inputReportLength];
    NTSTATUS status = STATUS_DEVICE_NOT_CONNECTED;
    {
        SpinLock guard(*child.bus);
        if (current(child, tablet) && !tablet.model.pulled()) {
            if (tablet.model.takeInput(report))
                status = STATUS_SUCCESS;
            else if (pend(tablet, irp))
                return STATUS_PENDING;
            else
                status = STATUS_CANCELLED;
        }
    }
    return NT_SUCCESS(status) ? copyOut(irp, report, inputReportLength) : complete(irp, status);
}

// Takes the oldest waiting read off the list, under the bus lock. A read
// whose cancel routine already runs is left to it.
PIRP takeRead(Tablet& tablet) {
    while (!IsListEmpty(&tablet.pendingReads)) {
        PLIST_ENTRY entry = RemoveHeadList(&tablet.pendingReads);
        PIRP irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
        if (IoSetCancelRoutine(irp, nullptr))
            return irp;
        InitializeListHead(entry);
    }
    return nullptr;
}

} // namespace

namespace Korva::VTablet::Kernel {

void failPendingReads(Bus& bus, Tablet& tablet) {
    LIST_ENTRY failed;
    InitializeListHead(&failed);
    {
        SpinLock guard(bus);
        while (PIRP irp = takeRead(tablet))
            InsertTailList(&failed, &irp->Tail.Overlay.ListEntry);
    }
    while (!IsListEmpty(&failed)) {
        PLIST_ENTRY entry = RemoveHeadList(&failed);
        complete(CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry),
                 STATUS_DEVICE_NOT_CONNECTED);
    }
}

// Each waiting report goes to a waiting read, oldest to oldest; the copy and
// the completion happen outside the lock.
void sendInput(Bus& bus, Tablet& tablet) {
    for (;;) {
        UCHAR report[inputReportLength];
        PIRP read;
        {
            SpinLock guard(bus);
            if (!tablet.model.hasInput())
                return;
            read = takeRead(tablet);
            if (!read)
                return;
            tablet.model.takeInput(report);
        }
        copyOut(read, report, inputReportLength);
    }
}

NTSTATUS hidRequest(Child& child, PIRP irp) {
    switch (IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl.IoControlCode) {
    case hidGetDeviceDescriptor:
        return deviceDescriptor(irp);
    case hidGetReportDescriptor:
        return copyOut(irp, reportDescriptor().bytes, reportDescriptor().length);
    case hidGetDeviceAttributes:
        return deviceAttributes(child, irp);
    case hidGetString:
        return deviceString(irp);
    case hidActivateDevice:
    case hidDeactivateDevice:
        return complete(irp, STATUS_SUCCESS);
    case hidReadReport:
        return queueRead(child, irp);
    case IOCTL_HID_GET_FEATURE:
        return featureRequest(child, irp, true);
    case IOCTL_HID_SET_FEATURE:
        return featureRequest(child, irp, false);
    default:
        return complete(irp, STATUS_NOT_SUPPORTED);
    }
}

NTSTATUS bulkRequest(Child& child, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (child.bus->deniedBulkFiles.contains(stack->FileObject))
        return complete(irp, DeniedFiles::status);
    auto* buffer = static_cast<UCHAR*>(irp->AssociatedIrp.SystemBuffer);
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case ioctlBulkPipe: {
        if (!child.setup.bulk || stack->Parameters.DeviceIoControl.OutputBufferLength < 1)
            return complete(irp, STATUS_INVALID_DEVICE_REQUEST);
        Tablet& tablet = child.bus->tablets[child.slot];
        {
            SpinLock guard(*child.bus);
            *buffer = tablet.model.state().faults.bulkPipeIn ? 0x81 : 0x01;
        }
        return complete(irp, STATUS_SUCCESS, 1);
    }
    case ioctlBulkRate: {
        if (stack->Parameters.DeviceIoControl.OutputBufferLength < sizeof(ULONG))
            return complete(irp, STATUS_BUFFER_TOO_SMALL);
        Tablet& tablet = child.bus->tablets[child.slot];
        ULONG rate;
        {
            SpinLock guard(*child.bus);
            rate = tablet.model.state().faults.bulkBytesPerSecond;
        }
        RtlCopyMemory(buffer, &rate, sizeof rate);
        return complete(irp, STATUS_SUCCESS, sizeof rate);
    }
    case ioctlBulkWrite: {
        const ULONG length = stack->Parameters.DeviceIoControl.InputBufferLength;
        return complete(irp, onModel(child, [buffer, length](TabletModel& model) {
                            return model.writeBulk(buffer, length);
                        }));
    }
    default:
        return complete(irp, STATUS_INVALID_DEVICE_REQUEST);
    }
}

} // namespace Korva::VTablet::Kernel
