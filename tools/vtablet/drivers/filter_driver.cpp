// Function driver above the HID node that hidclass creates for a virtual
// tablet, and of the tablet's bulk interface. It passes every request down
// unchanged, except that
// - a request hidclass fails because the device is being removed
//   (STATUS_DELETE_PENDING on Wine) ends with STATUS_DEVICE_NOT_CONNECTED, as
//   a request in flight on a pulled tablet does on Windows;
// - a request that a hung tablet holds (statusHeld from the bus) waits here,
//   cancellable, and goes down again every retryInterval until the tablet
//   answers. Holding it here rather than in the bus keeps Wine's single
//   dispatch thread free: hidclass waits for a feature request in that thread;
// - an open of the HID interface of a tablet that denies opens fails with
//   STATUS_SHARING_VIOLATION (denied_files.h); the bus judges the opens of
//   the bulk interface.
#include "tools/vtablet/drivers/bus_types.h"
#include "tools/vtablet/drivers/denied_files.h"

using namespace Korva::VTablet;
using namespace Korva::VTablet::Kernel;

namespace {

constexpr LONGLONG retryInterval = -10000LL * 50; // 50 ms, relative

struct Filter {
    PDEVICE_OBJECT self;
    PDEVICE_OBJECT lower;
    LONG slot; // the tablet's slot for the HID node, else -1
};

// The held requests of all devices and the thread that sends them down again.
// The mutex is held while requests go down, so that a device is not removed
// under a request on its way.
struct HeldRequests {
    KSPIN_LOCK lock;
    LIST_ENTRY irps;
    KEVENT wake;
    KMUTEX sending;
} held;

DeniedFiles denied;

PFILE_OBJECT fileOf(PIRP irp) {
    return IoGetCurrentIrpStackLocation(irp)->FileObject;
}

Filter& filterOf(PDEVICE_OBJECT device) {
    return *static_cast<Filter*>(device->DeviceExtension);
}

Filter*& ownerOf(PIRP irp) {
    return reinterpret_cast<Filter*&>(irp->Tail.Overlay.DriverContext[0]);
}

NTSTATUS NTAPI mapRemoval(PDEVICE_OBJECT, PIRP irp, PVOID) {
    if (irp->IoStatus.Status == STATUS_DELETE_PENDING)
        irp->IoStatus.Status = STATUS_DEVICE_NOT_CONNECTED;
    if (irp->PendingReturned)
        IoMarkIrpPending(irp);
    return STATUS_CONTINUE_COMPLETION;
}

NTSTATUS NTAPI passDown(PDEVICE_OBJECT device, PIRP irp) {
    const UCHAR major = IoGetCurrentIrpStackLocation(irp)->MajorFunction;
    if (major == IRP_MJ_CLOSE)
        denied.remove(fileOf(irp));
    else if (major != IRP_MJ_CLEANUP && denied.contains(fileOf(irp)))
        return complete(irp, DeniedFiles::status);
    IoCopyCurrentIrpStackLocationToNext(irp);
    IoSetCompletionRoutine(irp, mapRemoval, nullptr, TRUE, TRUE, TRUE);
    const NTSTATUS status = IoCallDriver(filterOf(device).lower, irp);
    return status == STATUS_DELETE_PENDING ? STATUS_DEVICE_NOT_CONNECTED : status;
}

void NTAPI cancelHeld(PDEVICE_OBJECT, PIRP irp) {
    IoReleaseCancelSpinLock(irp->CancelIrql);
    KIRQL irql;
    KeAcquireSpinLock(&held.lock, &irql);
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    InitializeListHead(&irp->Tail.Overlay.ListEntry);
    KeReleaseSpinLock(&held.lock, irql);
    complete(irp, STATUS_CANCELLED);
}

// Called from the completion routine: the request waits for the next retry,
// or ends as cancelled when it was cancelled meanwhile.
void hold(Filter& filter, PIRP irp) {
    ownerOf(irp) = &filter;
    KIRQL irql;
    KeAcquireSpinLock(&held.lock, &irql);
    IoSetCancelRoutine(irp, cancelHeld);
    if (irp->Cancel && IoSetCancelRoutine(irp, nullptr)) {
        KeReleaseSpinLock(&held.lock, irql);
        complete(irp, STATUS_CANCELLED);
        return;
    }
    InsertTailList(&held.irps, &irp->Tail.Overlay.ListEntry);
    KeSetEvent(&held.wake, IO_NO_INCREMENT, FALSE);
    KeReleaseSpinLock(&held.lock, irql);
}

NTSTATUS NTAPI holdOrFinish(PDEVICE_OBJECT, PIRP irp, PVOID context) {
    if (irp->IoStatus.Status == STATUS_DELETE_PENDING)
        irp->IoStatus.Status = STATUS_DEVICE_NOT_CONNECTED;
    if (irp->IoStatus.Status != statusHeld)
        return STATUS_CONTINUE_COMPLETION;
    hold(*static_cast<Filter*>(context), irp);
    return STATUS_MORE_PROCESSING_REQUIRED;
}

void sendDown(Filter& filter, PIRP irp) {
    IoCopyCurrentIrpStackLocationToNext(irp);
    IoSetCompletionRoutine(irp, holdOrFinish, &filter, TRUE, TRUE, TRUE);
    IoCallDriver(filter.lower, irp);
}

// Device requests always complete through holdOrFinish, so they are pending
// from the start.
NTSTATUS NTAPI dispatchControl(PDEVICE_OBJECT device, PIRP irp) {
    if (denied.contains(fileOf(irp)))
        return complete(irp, DeniedFiles::status);
    IoMarkIrpPending(irp);
    sendDown(filterOf(device), irp);
    return STATUS_PENDING;
}

// Takes the held requests of one device, or of all devices with none.
void takeHeld(LIST_ENTRY& out, const Filter* only) {
    InitializeListHead(&out);
    KIRQL irql;
    KeAcquireSpinLock(&held.lock, &irql);
    KeClearEvent(&held.wake);
    for (PLIST_ENTRY entry = held.irps.Flink; entry != &held.irps;) {
        PIRP irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
        entry = entry->Flink;
        if (only && ownerOf(irp) != only) {
            KeSetEvent(&held.wake, IO_NO_INCREMENT, FALSE);
            continue;
        }
        if (!IoSetCancelRoutine(irp, nullptr))
            continue; // its cancel routine runs and takes it off the list
        RemoveEntryList(&irp->Tail.Overlay.ListEntry);
        InsertTailList(&out, &irp->Tail.Overlay.ListEntry);
    }
    KeReleaseSpinLock(&held.lock, irql);
}

PIRP next(LIST_ENTRY& list) {
    if (IsListEmpty(&list))
        return nullptr;
    return CONTAINING_RECORD(RemoveHeadList(&list), IRP, Tail.Overlay.ListEntry);
}

void NTAPI retryThread(PVOID) {
    for (;;) {
        KeWaitForSingleObject(&held.wake, Executive, KernelMode, FALSE, nullptr);
        LARGE_INTEGER interval;
        interval.QuadPart = retryInterval;
        KeDelayExecutionThread(KernelMode, FALSE, &interval);
        KeWaitForSingleObject(&held.sending, Executive, KernelMode, FALSE, nullptr);
        LIST_ENTRY batch;
        takeHeld(batch, nullptr);
        while (PIRP irp = next(batch))
            sendDown(*ownerOf(irp), irp);
        KeReleaseMutex(&held.sending, FALSE);
    }
}

void failHeld(const Filter& filter) {
    KeWaitForSingleObject(&held.sending, Executive, KernelMode, FALSE, nullptr);
    LIST_ENTRY failed;
    takeHeld(failed, &filter);
    while (PIRP irp = next(failed))
        complete(irp, STATUS_DEVICE_NOT_CONNECTED);
    KeReleaseMutex(&held.sending, FALSE);
}

bool opensDenied(const Filter& filter) {
    if (filter.slot < 0)
        return false;
    ULONG denied = 0;
    RTL_QUERY_REGISTRY_TABLE table[2] = {};
    table[0].Flags = RTL_QUERY_REGISTRY_DIRECT | RTL_QUERY_REGISTRY_REQUIRED;
    table[0].Name = const_cast<PWSTR>(denyOpenValue);
    table[0].EntryContext = &denied;
    if (!NT_SUCCESS(
            RtlQueryRegistryValues(RTL_REGISTRY_SERVICES, denyOpenKey, table, nullptr, nullptr)))
        return false;
    return (denied >> filter.slot) & 1;
}

NTSTATUS NTAPI dispatchCreate(PDEVICE_OBJECT device, PIRP irp) {
    if (opensDenied(filterOf(device)) && !denied.add(fileOf(irp)))
        return complete(irp, DeniedFiles::status);
    return passDown(device, irp);
}

NTSTATUS NTAPI dispatchPnp(PDEVICE_OBJECT device, PIRP irp) {
    Filter& filter = filterOf(device);
    const UCHAR minor = IoGetCurrentIrpStackLocation(irp)->MinorFunction;
    if (minor == IRP_MN_SURPRISE_REMOVAL || minor == IRP_MN_REMOVE_DEVICE)
        failHeld(filter);
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

// The HID node's first hardware id ends in the instance id of the tablet's
// USB interface, "...\QV<slot>_<generation>"; the bulk interface has no such
// id and gets -1.
LONG slotOf(PDEVICE_OBJECT pdo) {
    WCHAR ids[256];
    ULONG length = 0;
    if (!NT_SUCCESS(IoGetDeviceProperty(pdo, DevicePropertyHardwareID, sizeof ids - sizeof(WCHAR),
                                        ids, &length)))
        return -1;
    ids[length / sizeof(WCHAR)] = 0;
    for (ULONG i = 0; ids[i] && ids[i + 1] && ids[i + 2]; ++i) {
        if (ids[i] == L'\\' && ids[i + 1] == L'Q' && ids[i + 2] == L'V') {
            const WCHAR digit = ids[i + 3];
            return digit >= L'0' && digit <= L'9' ? digit - L'0' : -1;
        }
    }
    return -1;
}

NTSTATUS NTAPI addDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT pdo) {
    PDEVICE_OBJECT device;
    const NTSTATUS status =
        IoCreateDevice(driver, sizeof(Filter), nullptr, FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
    if (!NT_SUCCESS(status))
        return status;
    Filter& filter = filterOf(device);
    filter.self = device;
    filter.slot = slotOf(pdo);
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
    KeInitializeSpinLock(&held.lock);
    InitializeListHead(&held.irps);
    KeInitializeEvent(&held.wake, NotificationEvent, FALSE);
    KeInitializeMutex(&held.sending, 0);
    denied.init();
    HANDLE thread;
    const NTSTATUS status = PsCreateSystemThread(&thread, THREAD_ALL_ACCESS, nullptr, nullptr,
                                                 nullptr, retryThread, nullptr);
    if (!NT_SUCCESS(status))
        return status;
    ZwClose(thread);
    for (ULONG major = 0; major <= IRP_MJ_MAXIMUM_FUNCTION; ++major)
        driver->MajorFunction[major] = passDown;
    driver->MajorFunction[IRP_MJ_CREATE] = dispatchCreate;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatchControl;
    driver->MajorFunction[IRP_MJ_PNP] = dispatchPnp;
    driver->MajorFunction[IRP_MJ_POWER] = dispatchPower;
    driver->DriverExtension->AddDevice = addDevice;
    driver->DriverUnload = unload;
    return STATUS_SUCCESS;
}
