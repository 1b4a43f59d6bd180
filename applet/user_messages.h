#pragma once

#include <windows.h>

namespace Korva::QELD {

// Sent to the editable main dialog: wParam 1 marks the settings modified,
// 0 unmodified. The modified state is the Apply button's enabled state.
inline constexpr UINT UM_SETMODIFIED = WM_USER + 1;

} // namespace Korva::QELD
