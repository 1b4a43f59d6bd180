#pragma once

#include <windows.h>

namespace Korva::QELD {

// The control panel's open operation. A process that may write the settings
// gets the editable dialog. Any other, which is what the control panel runs
// on 6.0 and later, starts the launcher qeldcfg.exe from the applet's own
// folder, whose read-only dialog offers "Change"; a launcher that cannot be
// started is reported. Returns 1.
LONG openFromControlPanel(bool mayEdit);

} // namespace Korva::QELD
