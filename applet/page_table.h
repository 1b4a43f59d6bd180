#pragma once

#include "applet/core/resource.h"

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
    {IDS_GENERIC, nullptr, IDI_PREVIEWS_GENERIC, 0},
    {IDS_QEL10, L"QEL10", IDI_PREVIEWS_QEL10, 1},
    {IDS_QEL20, L"QEL20", IDI_PREVIEWS_QEL20, 1},
    {IDS_QEL30, L"QEL30", IDI_PREVIEWS_QEL30, 1},
    {IDS_QEL40, L"QEL40", IDI_PREVIEWS_QEL40, 0},
    {IDS_QEL50, L"QEL50", IDI_PREVIEWS_GENERIC, 1},
    {IDS_QEL60, L"QEL60", IDI_PREVIEWS_GENERIC, 1},
}};

} // namespace Korva::QELD
