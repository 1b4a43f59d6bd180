#pragma once

#include <windows.h>

namespace Korva::QELD {

// Sent to the editable main dialog: wParam 1 marks the settings modified,
// 0 unmodified. The modified state is the Apply button's enabled state. The
// value comes from the application's own range: WM_USER + 1 is DM_SETDEFID,
// which the dialog manager itself sends to dialogs.
inline constexpr UINT UM_SETMODIFIED = WM_APP + 1;

} // namespace Korva::QELD
