#pragma once

// Common ground of the kernel images: the DDK headers and the parts of the
// HID minidriver interface that MinGW lacks (it has no hidport.h, and its
// hidclass.h numbers the minidriver requests wrongly). In C++ the DDK's own
// inline bit-test helpers clash with the intrinsics of the same name; the
// intrinsic declarations are skipped so that the DDK's stand alone.
#define __INTRINSIC_DEFINED_InterlockedBitTestAndSet
#define __INTRINSIC_DEFINED_InterlockedBitTestAndReset
#include <ntddk.h>
#include <hidusage.h>
#include <ddk/hidclass.h>

namespace Korva::VTablet::Kernel {

constexpr ULONG hidControlCode(ULONG id) {
    return (FILE_DEVICE_KEYBOARD << 16) | (id << 2) | METHOD_NEITHER;
}

constexpr ULONG hidGetDeviceDescriptor = hidControlCode(0);
constexpr ULONG hidGetReportDescriptor = hidControlCode(1);
constexpr ULONG hidReadReport = hidControlCode(2);
constexpr ULONG hidWriteReport = hidControlCode(3);
constexpr ULONG hidGetString = hidControlCode(4);
constexpr ULONG hidActivateDevice = hidControlCode(7);
constexpr ULONG hidDeactivateDevice = hidControlCode(8);
constexpr ULONG hidGetDeviceAttributes = hidControlCode(9);
constexpr ULONG hidSendIdleNotification = hidControlCode(10);

struct HidMinidriverRegistration {
    ULONG Revision;
    PDRIVER_OBJECT DriverObject;
    PUNICODE_STRING RegistryPath;
    ULONG DeviceExtensionSize;
    BOOLEAN DevicesArePolled;
    UCHAR Reserved[3];
};

struct HidDeviceExtension {
    PDEVICE_OBJECT PhysicalDeviceObject;
    PDEVICE_OBJECT NextDeviceObject;
    PVOID MiniDeviceExtension;
};

struct HidDeviceAttributes {
    ULONG Size;
    USHORT VendorID;
    USHORT ProductID;
    USHORT VersionNumber;
    USHORT Reserved[11];
};

#pragma pack(push, 1)
struct HidDescriptor {
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT bcdHID;
    UCHAR bCountry;
    UCHAR bNumDescriptors;
    UCHAR bReportType;
    USHORT wReportLength;
};
#pragma pack(pop)

constexpr ULONG hidRevision = 1;

// Completes a request with the given status and information.
inline NTSTATUS complete(PIRP irp, NTSTATUS status, ULONG_PTR information = 0) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

} // namespace Korva::VTablet::Kernel

extern "C" NTSTATUS NTAPI HidRegisterMinidriver(Korva::VTablet::Kernel::HidMinidriverRegistration*);
