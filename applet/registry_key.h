#pragma once

#include "common/unique_handle.h"

#include <optional>
#include <string>

namespace Korva::QELD {

using Korva::Win32::unique_hkey;

// Opens a key for reading; empty when it cannot be opened.
unique_hkey openKeyForReading(HKEY root, const std::wstring& path);

// Creates or opens a key for writing; empty on failure. The writing
// operations below, like this one, leave the registry's result of a failure
// as the thread's last error.
unique_hkey createKeyForWriting(HKEY root, const std::wstring& path);

// A REG_DWORD value; none when it is missing or of another type.
std::optional<DWORD> readDword(HKEY key, const wchar_t* name);

bool writeDword(HKEY key, const wchar_t* name, DWORD value);
bool writeString(HKEY key, const wchar_t* name, const std::wstring& text);

// Deletes a value; a value that is not there counts as deleted.
bool deleteValue(HKEY key, const wchar_t* name);

} // namespace Korva::QELD
