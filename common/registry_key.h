#pragma once

#include "common/core/whole_value_read.h"
#include "common/unique_handle.h"

#include <optional>
#include <string>
#include <system_error>

namespace Korva::Win32 {

// Owner of one open registry key. Opening and creating return the registry's
// reason for a failure (empty on success) and leave the key empty then.
class RegistryKey {
public:
    std::error_code open(HKEY root, const std::wstring& path, REGSAM access);
    // Creates the key where it is missing, else opens it.
    std::error_code create(HKEY root, const std::wstring& path, REGSAM access);

    explicit operator bool() const noexcept { return static_cast<bool>(key_); }
    HKEY get() const noexcept { return key_.get(); }

private:
    unique_hkey key_;
};

// The value whole, whatever its size and type; none when it is missing, cannot
// be read, or keeps changing while it is read.
std::optional<RegistryValue> readValue(HKEY key, const wchar_t* name);

// A REG_DWORD value of four bytes; none when it is missing or of another type.
std::optional<DWORD> readDword(HKEY key, const wchar_t* name);

// True only when the registry answers that the value does not exist.
bool valueMissing(HKEY key, const wchar_t* name);

std::error_code writeDword(HKEY key, const wchar_t* name, DWORD value);
// REG_SZ, stored with its terminating NUL.
std::error_code writeString(HKEY key, const wchar_t* name, const std::wstring& text);

// A value or a subkey (which must have none of its own) that is not there
// counts as deleted.
std::error_code deleteValue(HKEY key, const wchar_t* name);
std::error_code deleteKey(HKEY parent, const std::wstring& subkey);

} // namespace Korva::Win32
