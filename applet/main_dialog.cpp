#include "applet/main_dialog.h"

#include "applet/resource.h"
#include "applet/window_state.h"

#include <commctrl.h>
#include <uxtheme.h>

namespace Korva::QELD {

void MainDialog::initFrame() {
    largeIcon_ =
        loadAppletIcon(IDI_APPLET, ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
    smallIcon_ = loadAppletIcon(IDI_APPLET, ::GetSystemMetrics(SM_CXSMICON),
                                ::GetSystemMetrics(SM_CYSMICON));
    ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_.get()));
    ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    ::EnableThemeDialogTexture(hwnd(), ETDT_USEAEROWIZARDTABTEXTURE);
    tab_ = item(IDC_TABS);
    ::SendMessageW(tab_, TCM_DELETEALLITEMS, 0, 0);
}

bool MainDialog::handleFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR&) {
    switch (message) {
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom != tab_ ||
            (header->code != TCN_SELCHANGING && header->code != TCN_SELCHANGE))
            return false;
        const auto current = static_cast<int>(::SendMessageW(tab_, TCM_GETCURSEL, 0, 0));
        showPage(current, header->code == TCN_SELCHANGE);
        return true;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) != IDCANCEL)
            return false;
        endDialog(IDCANCEL);
        return true;
    case WM_DESTROY:
        SaveWindowState(*this);
        return true;
    default:
        return false;
    }
}

} // namespace Korva::QELD
