#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace Korva::QELD {

inline constexpr std::int32_t minIntervalSeconds = 1;
inline constexpr std::int32_t maxIntervalSeconds = 600;

// The interval field's text as a decimal number: leading digits only, as the
// field accepts digits only; saturates instead of overflowing.
std::int64_t typedNumber(std::u16string_view text);

// The spin position that replaces a typed number out of range (0 or less
// becomes 1, 601 or more 600), or none when it is in range.
std::optional<std::int32_t> correctedInterval(std::int64_t typed);

} // namespace Korva::QELD
