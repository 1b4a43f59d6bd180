#pragma once

#include <array>
#include <cstdint>

namespace Korva::QELD {

// One tab of the main dialogs: its label, the registry subkey of its model
// (none for the generic set), the first icon of its preview set and the border
// that "Auto" shows in the preview (0 black, 1 white).
struct PageRow {
    std::uint16_t labelId;
    const wchar_t* modelKey;
    std::uint16_t previewFirstId;
    std::int32_t autoBorder;
};

inline constexpr std::array<PageRow, 7> pageTable{{
    {218, nullptr, 301, 0},
    {224, L"QEL10", 210, 1},
    {225, L"QEL20", 331, 1},
    {226, L"QEL30", 240, 1},
    {227, L"QEL40", 270, 0},
    {228, L"QEL50", 301, 1},
    {229, L"QEL60", 301, 1},
}};

} // namespace Korva::QELD
