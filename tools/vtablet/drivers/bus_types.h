#pragma once

#include "tools/vtablet/drivers/denied_files.h"
#include "tools/vtablet/drivers/kernel.h"

#include <initializer_list>
#include "tools/vtablet/model/control_codes.h"
#include "tools/vtablet/model/tablet_model.h"

namespace Korva::VTablet::Kernel {

// One slot of the bus: the model of a tablet and the children it shows while
// plugged. The model and its buffers outlive an unplug, so the last screen
// stays readable until the slot is plugged again.
struct Tablet {
    TabletModel model;
    UCHAR* receive;
    UCHAR* screen;
    bool used;
    bool plugged;
    ULONG generation;
    PDEVICE_OBJECT hidPdo;
    PDEVICE_OBJECT bulkPdo;
    LIST_ENTRY pendingReads;
};

enum class Kind { Bus, HidChild, BulkChild };

// Every device object of the bus driver starts with this.
struct Extension {
    Kind kind;
};

struct Bus {
    Extension header;
    PDEVICE_OBJECT self;
    PDEVICE_OBJECT pdo;
    PDEVICE_OBJECT lower;
    UNICODE_STRING controlLink;
    KSPIN_LOCK lock; // guards the models (with their input) and the pending reads
    KMUTEX listLock; // guards plugged, generation and the child pointers
    ULONG generations;
    Tablet tablets[maxTablets];
    DeniedFiles deniedBulkFiles; // opens of bulk interfaces that denied them
};

struct Child {
    Extension header;
    Bus* bus;
    ULONG slot;
    ULONG generation;
    TabletSetup setup; // as plugged; the slot may be plugged anew meanwhile
    bool present;      // still reported in the bus relations
    UNICODE_STRING interfaceLink;
};

// Children and their PnP requests (bus_children.cpp).
NTSTATUS busRelations(Bus& bus, PIRP irp);
NTSTATUS childPnp(Child& child, PIRP irp);
void forgetChildren(Bus& bus, Tablet& tablet);

// Requests that reach a tablet (bus_requests.cpp).
NTSTATUS hidRequest(Child& child, PIRP irp);
NTSTATUS bulkRequest(Child& child, PIRP irp);
void failPendingReads(Bus& bus, Tablet& tablet);
void sendInput(Bus& bus, Tablet& tablet);

// Plugging (bus_control.cpp).
NTSTATUS controlRequest(Bus& bus, PIRP irp);
bool takeOff(Bus& bus, ULONG slot, ULONG generation);
void unplug(Bus& bus, ULONG slot, ULONG generation);

class SpinLock {
public:
    explicit SpinLock(Bus& bus) : bus_(bus) { KeAcquireSpinLock(&bus_.lock, &irql_); }
    ~SpinLock() { KeReleaseSpinLock(&bus_.lock, irql_); }
    SpinLock(const SpinLock&) = delete;
    SpinLock& operator=(const SpinLock&) = delete;

private:
    Bus& bus_;
    KIRQL irql_;
};

constexpr ULONG poolTag = 0x42564C51; // "QLVB" in a pool dump

// The answer of a hung tablet: the filter above holds the request and asks
// again later (filter_driver.cpp). Customer bit and error severity set, so
// that it never clashes with a system status.
constexpr NTSTATUS statusHeld = static_cast<NTSTATUS>(0xE0564C01);

// The slots whose tablets refuse every open, one bit each, as the DWORD
// "DenyOpen" of the bus's service key: the filter above the HID node, which
// sees the opens of the HID interface, reads it there.
constexpr const wchar_t* denyOpenKey = L"qelvbus";
constexpr const wchar_t* denyOpenValue = L"DenyOpen";

// Writes "DenyOpen" from the faults of every slot (bus_control.cpp).
void publishDenyOpen(Bus& bus);

} // namespace Korva::VTablet::Kernel
