#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace Korva::Win32 {

// A registry value as stored: its type and its bytes.
struct RegistryValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;
};

// What one query of a value into a buffer answered.
enum class ValueQuery { Read, MoreData, Failed };

// How often a value is asked for before one that keeps changing its size
// counts as unreadable.
inline constexpr int valueQueryAttempts = 8;

// Asks for a value into a buffer of `size` bytes (none at first, which only
// measures); the query sets `size` to the value's size and `type` to its type.
using ValueQueryFunction =
    std::function<ValueQuery(std::uint8_t* data, std::uint32_t& size, std::uint32_t& type)>;

// Reads a value whole although another process may rewrite it between
// measuring and reading: a value that grew is asked for again with its new
// size, one that shrank is cut to what was read. None when the query fails or
// the value is still changing after valueQueryAttempts queries.
std::optional<RegistryValue> readWholeValue(const ValueQueryFunction& query);

} // namespace Korva::Win32
