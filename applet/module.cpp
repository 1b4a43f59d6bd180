#include "applet/module.h"

#include "common/unique_handle.h"

#include <algorithm>
#include <vector>

namespace Korva::QELD {

namespace {

// The longest path the system handles, in characters with the terminator.
constexpr DWORD longestPath = 32768;

} // namespace

HINSTANCE moduleInstance() noexcept {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&moduleInstance), &module);
    return module;
}

std::optional<std::wstring> modulePath(HMODULE module) {
    // A path that does not fit is cut to the buffer without an error on some
    // systems: only a result shorter than the buffer is known to be whole.
    for (DWORD capacity = MAX_PATH;; capacity = std::min(capacity * 2, longestPath)) {
        std::wstring path(capacity, L'\0');
        const DWORD length = ::GetModuleFileNameW(module, path.data(), capacity);
        if (length == 0)
            return std::nullopt;
        if (length < capacity) {
            path.resize(length);
            return path;
        }
        if (capacity == longestPath)
            break;
    }
    ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return std::nullopt;
}

std::wstring loadString(UINT id) {
    const wchar_t* text = nullptr;
    // With a size of 0 the system hands out the read-only resource text.
    const int length = ::LoadStringW(moduleInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, length) : std::wstring();
}

std::wstring formatString(UINT id, std::initializer_list<std::wstring> inserts) {
    const auto pattern = loadString(id);
    std::vector<DWORD_PTR> arguments;
    for (const auto& text : inserts)
        arguments.push_back(reinterpret_cast<DWORD_PTR>(text.c_str()));
    wchar_t* raw = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY,
        pattern.c_str(), 0, 0, reinterpret_cast<wchar_t*>(&raw), 0,
        reinterpret_cast<va_list*>(arguments.data()));
    const Korva::Win32::unique_local_memory owner(raw);
    return length != 0 ? std::wstring(raw, length) : pattern;
}

void setItemTexts(HWND dialog, std::initializer_list<std::pair<int, UINT>> texts) {
    for (const auto& [id, text] : texts)
        ::SetDlgItemTextW(dialog, id, loadString(text).c_str());
}

} // namespace Korva::QELD
