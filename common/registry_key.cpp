#include "common/registry_key.h"

#include "common/error_categories.h"

#include <cstring>

namespace Korva::Win32 {

namespace {

std::error_code registryResult(LONG result) noexcept {
    if (result == ERROR_SUCCESS)
        return {};
    return {static_cast<int>(result), win32api_category()};
}

// Removing what is not there leaves the registry as asked.
std::error_code removed(LONG result) noexcept {
    return registryResult(result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result);
}

} // namespace

std::error_code RegistryKey::open(HKEY root, const std::wstring& path, REGSAM access) {
    const LONG result = ::RegOpenKeyExW(root, path.c_str(), 0, access, key_.put());
    if (result != ERROR_SUCCESS)
        key_.release();
    return registryResult(result);
}

std::error_code RegistryKey::create(HKEY root, const std::wstring& path, REGSAM access) {
    const LONG result =
        ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, access, nullptr, key_.put(), nullptr);
    if (result != ERROR_SUCCESS)
        key_.release();
    return registryResult(result);
}

std::optional<RegistryValue> readValue(HKEY key, const wchar_t* name) {
    return readWholeValue([&](std::uint8_t* data, std::uint32_t& size, std::uint32_t& type) {
        DWORD bytes = size;
        DWORD kind = REG_NONE;
        const LONG result = ::RegQueryValueExW(key, name, nullptr, &kind, data, &bytes);
        size = bytes;
        type = kind;
        if (result == ERROR_SUCCESS)
            return ValueQuery::Read;
        return result == ERROR_MORE_DATA ? ValueQuery::MoreData : ValueQuery::Failed;
    });
}

std::optional<DWORD> readDword(HKEY key, const wchar_t* name) {
    const auto value = readValue(key, name);
    DWORD number = 0;
    if (!value || value->type != REG_DWORD || value->bytes.size() != sizeof number)
        return std::nullopt;
    std::memcpy(&number, value->bytes.data(), sizeof number);
    return number;
}

bool valueMissing(HKEY key, const wchar_t* name) {
    return ::RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_FILE_NOT_FOUND;
}

std::error_code writeDword(HKEY key, const wchar_t* name, DWORD value) {
    return registryResult(::RegSetValueExW(key, name, 0, REG_DWORD,
                                           reinterpret_cast<const BYTE*>(&value), sizeof value));
}

std::error_code writeString(HKEY key, const wchar_t* name, const std::wstring& text) {
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return registryResult(
        ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes));
}

std::error_code deleteValue(HKEY key, const wchar_t* name) {
    return removed(::RegDeleteValueW(key, name));
}

std::error_code deleteKey(HKEY parent, const std::wstring& subkey) {
    return removed(::RegDeleteKeyExW(parent, subkey.c_str(), 0, 0));
}

} // namespace Korva::Win32
