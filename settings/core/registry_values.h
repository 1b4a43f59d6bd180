#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace Korva::QELD {

// Registry value types as the registry reports them.
inline constexpr std::uint32_t registryTypeDword = 4;

// The rules by which raw registry value bytes become settings. They are kept
// apart from the registry calls so that they can be checked on any platform.
namespace RegistryValues {

// "Folder": the bytes as UTF-16 text (an odd last byte is ignored), ending at
// the first NUL, with a "/" appended when the text is not empty and ends in
// neither "\" nor "/".
std::u16string folder(const std::uint8_t* bytes, std::size_t size);

// "Border", "Scale", "Clip": the value counts only when it is a REG_DWORD of
// four bytes.
std::optional<std::uint32_t> dword(std::uint32_t type, const std::uint8_t* bytes, std::size_t size);

// "Update Time": any type is accepted; a read of fewer than four bytes
// overwrites only those bytes of the default 3000, as a preset buffer would.
std::uint32_t updateTime(const std::uint8_t* bytes, std::size_t size);

} // namespace RegistryValues

} // namespace Korva::QELD
