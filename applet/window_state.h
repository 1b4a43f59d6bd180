#pragma once

namespace Korva::QELD {

class MainDialog;

// Remembers the main dialog's position and selected tab for the user.
void SaveWindowState(MainDialog& dialog);

// Puts the main dialog where it was and selects and shows its last tab; a
// first dialog is centred on the Generic tab.
void RestoreWindowState(MainDialog& dialog);

} // namespace Korva::QELD
