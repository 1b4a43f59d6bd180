// qeldcfg: opens the applet's settings dialog outside the control panel,
// editable when the process may write the settings, read-only otherwise.

#include "applet/configure_qeld.h"
#include "applet/elevation.h"

#include <commctrl.h>
#include <objbase.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Without COM the dialog still opens; only the folder browser needs it.
    (void)::CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_TAB_CLASSES | ICC_UPDOWN_CLASS;
    ::InitCommonControlsEx(&controls);
    const INT result = ConfigureQELD(Korva::QELD::canEdit() ? TRUE : FALSE);
    ::CoUninitialize();
    return result;
}
