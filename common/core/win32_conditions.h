#pragma once

#include <cstdint>
#include <optional>
#include <system_error>

namespace Korva::Win32 {

// The generic condition a Windows error value stands for, or none when the
// value has no portable meaning and stays in its own category.
std::optional<std::errc> win32GenericCondition(std::uint32_t value);

// Whether a Windows error value is equivalent to a generic condition.
// "File not found" (2) also answers to the two "no such device" conditions,
// because a tablet that has gone makes its device path vanish.
bool win32Equivalent(std::uint32_t value, std::errc condition);

} // namespace Korva::Win32
