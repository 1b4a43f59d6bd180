#pragma once

#include <string>
#include <string_view>

namespace Korva {

// Converts UTF-16 text to UTF-8. Unpaired surrogates become U+FFFD, so text
// from the system or from a registry value never makes the conversion throw.
std::string utf8FromUtf16(std::u16string_view text);

// Converts UTF-8 text to UTF-16; malformed sequences become U+FFFD.
std::u16string utf16FromUtf8(std::string_view text);

} // namespace Korva
