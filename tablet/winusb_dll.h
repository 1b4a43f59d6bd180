#pragma once

#include "common/core/noncopyable.h"
#include "common/unique_handle.h"

#include <winusb.h>

#include <memory>

namespace Korva::Win32 {

// WINUSB.DLL bound at run time: its absence only disables the bulk path.
// One binding serves all interfaces of a device thread and is unloaded when
// the last of them lets go.
class WinusbDll : noncopyable {
public:
    // True once the library is loaded with all eleven entry points.
    bool load();

    decltype(&::WinUsb_Initialize) Initialize = nullptr;
    decltype(&::WinUsb_Free) Free = nullptr;
    decltype(&::WinUsb_ReadPipe) ReadPipe = nullptr;
    decltype(&::WinUsb_WritePipe) WritePipe = nullptr;
    decltype(&::WinUsb_ControlTransfer) ControlTransfer = nullptr;
    decltype(&::WinUsb_GetOverlappedResult) GetOverlappedResult = nullptr;
    decltype(&::WinUsb_QueryInterfaceSettings) QueryInterfaceSettings = nullptr;
    decltype(&::WinUsb_QueryPipe) QueryPipe = nullptr;
    decltype(&::WinUsb_ResetPipe) ResetPipe = nullptr;
    decltype(&::WinUsb_AbortPipe) AbortPipe = nullptr;
    decltype(&::WinUsb_FlushPipe) FlushPipe = nullptr;

private:
    bool resolve(HMODULE module);
    void forget();

    unique_module module_;
};

// A WinUSB interface handle, freed through the binding that made it.
class WinusbHandle : noncopyable {
public:
    WinusbHandle() = default;
    ~WinusbHandle() { reset(); }

    void reset(std::shared_ptr<WinusbDll> dll = nullptr, WINUSB_INTERFACE_HANDLE handle = nullptr);
    explicit operator bool() const { return handle_ != nullptr; }
    WINUSB_INTERFACE_HANDLE get() const { return handle_; }

private:
    std::shared_ptr<WinusbDll> dll_;
    WINUSB_INTERFACE_HANDLE handle_ = nullptr;
};

} // namespace Korva::Win32
