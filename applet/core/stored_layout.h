#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace Korva::QELD {

// What a page shows for the layout values found in its registry key. Each
// argument is the value of a REG_DWORD read, or none when the value is missing
// or of another type. Border and position stay unset (the page keeps its own
// initial choice) where the stored layout does not read them.
struct StoredLayout {
    std::size_t sizeIndex = 0;
    std::optional<std::size_t> borderIndex;
    std::optional<std::size_t> positionIndex;
};

StoredLayout storedLayout(std::optional<std::uint32_t> scale, std::optional<std::uint32_t> border,
                          std::optional<std::uint32_t> clip);

// The "Folder" text of a read value: only REG_SZ or REG_EXPAND_SZ data of an
// even length that ends in its terminator is shown; the text ends at the
// first NUL, as an edit field would show it.
std::optional<std::u16string> storedFolder(std::uint32_t type, const std::uint8_t* bytes,
                                           std::size_t size);

// The slideshow interval in whole seconds for a stored "Update Time" in
// milliseconds; 5 when none is stored.
std::uint32_t storedIntervalSeconds(std::optional<std::uint32_t> milliseconds);

} // namespace Korva::QELD
