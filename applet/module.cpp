#include "applet/module.h"

namespace Korva::QELD {

HINSTANCE moduleInstance() noexcept {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&moduleInstance), &module);
    return module;
}

std::wstring loadString(UINT id) {
    const wchar_t* text = nullptr;
    // With a size of 0 the system hands out the read-only resource text.
    const int length = ::LoadStringW(moduleInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, length) : std::wstring();
}

void setItemTexts(HWND dialog, std::initializer_list<std::pair<int, UINT>> texts) {
    for (const auto& [id, text] : texts)
        ::SetDlgItemTextW(dialog, id, loadString(text).c_str());
}

} // namespace Korva::QELD
