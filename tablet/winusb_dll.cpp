#include "tablet/winusb_dll.h"

namespace Korva::Win32 {
namespace {

template <class Function> bool find(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return function != nullptr;
}

} // namespace

bool WinusbDll::load() {
    if (module_)
        return true;
    unique_module module(::LoadLibraryW(L"WINUSB.DLL"));
    if (!module)
        return false;
    if (!resolve(module.get())) {
        forget();
        return false;
    }
    module_ = std::move(module);
    return true;
}

bool WinusbDll::resolve(HMODULE m) {
    return find(m, "WinUsb_Initialize", Initialize) && find(m, "WinUsb_Free", Free) &&
           find(m, "WinUsb_ReadPipe", ReadPipe) && find(m, "WinUsb_WritePipe", WritePipe) &&
           find(m, "WinUsb_ControlTransfer", ControlTransfer) &&
           find(m, "WinUsb_GetOverlappedResult", GetOverlappedResult) &&
           find(m, "WinUsb_QueryInterfaceSettings", QueryInterfaceSettings) &&
           find(m, "WinUsb_QueryPipe", QueryPipe) && find(m, "WinUsb_ResetPipe", ResetPipe) &&
           find(m, "WinUsb_AbortPipe", AbortPipe) && find(m, "WinUsb_FlushPipe", FlushPipe);
}

void WinusbDll::forget() {
    Initialize = nullptr;
    Free = nullptr;
    ReadPipe = nullptr;
    WritePipe = nullptr;
    ControlTransfer = nullptr;
    GetOverlappedResult = nullptr;
    QueryInterfaceSettings = nullptr;
    QueryPipe = nullptr;
    ResetPipe = nullptr;
    AbortPipe = nullptr;
    FlushPipe = nullptr;
}

void WinusbHandle::reset(std::shared_ptr<WinusbDll> dll, WINUSB_INTERFACE_HANDLE handle) {
    if (handle_ != nullptr)
        dll_->Free(handle_);
    dll_ = std::move(dll);
    handle_ = handle;
}

} // namespace Korva::Win32
