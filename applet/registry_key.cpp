#include "applet/registry_key.h"

namespace Korva::QELD {

namespace {

// Reading, creating subkeys and setting values (0x2001F).
constexpr REGSAM writeAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

// True on success; otherwise the registry's result becomes the thread's last
// error, for callers that tell the user why.
bool succeeded(LONG result) noexcept {
    if (result == ERROR_SUCCESS)
        return true;
    ::SetLastError(static_cast<DWORD>(result));
    return false;
}

} // namespace

unique_hkey openKeyForReading(HKEY root, const std::wstring& path) {
    unique_hkey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        key.release();
    return key;
}

unique_hkey createKeyForWriting(HKEY root, const std::wstring& path) {
    unique_hkey key;
    if (!succeeded(::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, writeAccess, nullptr,
                                     key.put(), nullptr)))
        key.release();
    return key;
}

std::optional<DWORD> readDword(HKEY key, const wchar_t* name) {
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof(value);
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return std::nullopt;
    return value;
}

bool writeDword(HKEY key, const wchar_t* name, DWORD value) {
    return succeeded(::RegSetValueExW(key, name, 0, REG_DWORD,
                                      reinterpret_cast<const BYTE*>(&value), sizeof(value)));
}

bool writeString(HKEY key, const wchar_t* name, const std::wstring& text) {
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return succeeded(
        ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes));
}

bool deleteValue(HKEY key, const wchar_t* name) {
    const LONG rc = ::RegDeleteValueW(key, name);
    return rc == ERROR_FILE_NOT_FOUND || succeeded(rc);
}

} // namespace Korva::QELD
