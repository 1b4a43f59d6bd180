// The WinUSB test double: the entry points of WINUSB.DLL that the tablet
// transport binds, working on a virtual tablet's bulk interface. Loaded
// instead of Wine's stubs with WINEDLLOVERRIDES="winusb=n" from the folder
// of the program under test.
#include "tools/vtablet/winusb/bulk_interface.h"

#include <winusb.h>

#include <new>

using Korva::VTablet::BulkInterface;

namespace {

BulkInterface* bulk(WINUSB_INTERFACE_HANDLE handle) {
    return static_cast<BulkInterface*>(handle);
}

BOOL fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

} // namespace

extern "C" {

BOOL WINAPI WinUsb_Initialize(HANDLE device, PWINUSB_INTERFACE_HANDLE handle) {
    if (!handle || device == INVALID_HANDLE_VALUE)
        return fail(ERROR_INVALID_HANDLE);
    auto* candidate = new (std::nothrow) BulkInterface(device);
    std::uint8_t pipe = 0;
    if (!candidate || !candidate->queryPipe(pipe)) {
        const DWORD error = candidate ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
        delete candidate;
        return fail(error);
    }
    *handle = candidate;
    return TRUE;
}

BOOL WINAPI WinUsb_Free(WINUSB_INTERFACE_HANDLE handle) {
    delete bulk(handle);
    return TRUE;
}

BOOL WINAPI WinUsb_QueryInterfaceSettings(WINUSB_INTERFACE_HANDLE handle, UCHAR alternate,
                                          PUSB_INTERFACE_DESCRIPTOR descriptor) {
    if (!handle || !descriptor)
        return fail(ERROR_INVALID_PARAMETER);
    if (alternate != 0)
        return fail(ERROR_NO_MORE_ITEMS);
    *descriptor = USB_INTERFACE_DESCRIPTOR{};
    descriptor->bLength = sizeof *descriptor;
    descriptor->bDescriptorType = USB_INTERFACE_DESCRIPTOR_TYPE;
    descriptor->bInterfaceNumber = 1;
    descriptor->bNumEndpoints = 1;
    descriptor->bInterfaceClass = 0xFF;
    return TRUE;
}

BOOL WINAPI WinUsb_QueryPipe(WINUSB_INTERFACE_HANDLE handle, UCHAR alternate, UCHAR index,
                             PWINUSB_PIPE_INFORMATION pipe) {
    if (!handle || !pipe)
        return fail(ERROR_INVALID_PARAMETER);
    if (alternate != 0 || index != 0)
        return fail(ERROR_NO_MORE_ITEMS);
    std::uint8_t id = 0;
    if (!bulk(handle)->queryPipe(id))
        return FALSE;
    pipe->PipeType = UsbdPipeTypeBulk;
    pipe->PipeId = id;
    pipe->MaximumPacketSize = 512;
    pipe->Interval = 0;
    return TRUE;
}

BOOL WINAPI WinUsb_WritePipe(WINUSB_INTERFACE_HANDLE handle, UCHAR pipe, PUCHAR buffer,
                             ULONG length, PULONG transferred, LPOVERLAPPED overlapped) {
    if (!handle || (pipe & 0x80))
        return fail(ERROR_INVALID_PARAMETER);
    return bulk(handle)->write(buffer, length, transferred, overlapped);
}

BOOL WINAPI WinUsb_GetOverlappedResult(WINUSB_INTERFACE_HANDLE handle, LPOVERLAPPED overlapped,
                                       LPDWORD transferred, BOOL wait) {
    if (!handle || !overlapped)
        return fail(ERROR_INVALID_PARAMETER);
    ULONG count = 0;
    const BOOL done = bulk(handle)->result(overlapped, &count, wait);
    if (transferred)
        *transferred = count;
    return done;
}

BOOL WINAPI WinUsb_ResetPipe(WINUSB_INTERFACE_HANDLE handle, UCHAR) {
    return handle ? TRUE : fail(ERROR_INVALID_HANDLE);
}

BOOL WINAPI WinUsb_AbortPipe(WINUSB_INTERFACE_HANDLE handle, UCHAR) {
    return handle ? bulk(handle)->abort() : fail(ERROR_INVALID_HANDLE);
}

BOOL WINAPI WinUsb_FlushPipe(WINUSB_INTERFACE_HANDLE handle, UCHAR) {
    return handle ? TRUE : fail(ERROR_INVALID_HANDLE);
}

// The tablet has no IN pipe and answers no control transfers.
BOOL WINAPI WinUsb_ReadPipe(WINUSB_INTERFACE_HANDLE, UCHAR, PUCHAR, ULONG, PULONG, LPOVERLAPPED) {
    return fail(ERROR_NOT_SUPPORTED);
}

BOOL WINAPI WinUsb_ControlTransfer(WINUSB_INTERFACE_HANDLE, WINUSB_SETUP_PACKET, PUCHAR, ULONG,
                                   PULONG, LPOVERLAPPED) {
    return fail(ERROR_NOT_SUPPORTED);
}

} // extern "C"
