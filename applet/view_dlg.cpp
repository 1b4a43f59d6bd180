#include "applet/view_dlg.h"

#include "applet/launch.h"
#include "applet/module.h"
#include "applet/core/resource.h"
#include "applet/service_control.h"

namespace Korva::QELD {

CViewDlg::CViewDlg() : CMainDlgBase(IDD_VIEW_MAIN) {}

void CViewDlg::SetUpdateTime(unsigned seconds) {
    ::SetDlgItemInt(hwnd(), IDC_INTERVAL, seconds, FALSE);
}

bool CViewDlg::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (message == WM_INITDIALOG) {
        onInitDialog();
        result = FALSE;
        return true;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        relaunchElevated();
        return true;
    }
    return handleFrameMessage(message, wParam, lParam, result);
}

void CViewDlg::onInitDialog() {
    initMainDialog();
    setItemTexts(hwnd(), {
                             {IDC_INTERVAL_LABEL, IDS_CHANGE_EVERY},
                             {IDC_SECONDS_LABEL, IDS_SECONDS},
                             {IDC_DISABLE, IDS_DISABLED},
                             {IDOK, IDS_CHANGE},
                             {IDCANCEL, IDS_CLOSE},
                         });
    ::SetWindowTextW(hwnd(), loadString(IDS_CAPTION).c_str());
    ::SendMessageW(item(IDOK), BCM_SETSHIELD, 0, TRUE);
    if (querySlideshowDisabled() == false)
        ::ShowWindow(item(IDC_DISABLE), SW_HIDE);
    ::SetFocus(item(IDCANCEL));
}

void CViewDlg::relaunchElevated() {
    SaveWindowState(*this);
    const auto path = modulePath(nullptr);
    if (path && launchStep()(hwnd(), L"runas", *path) == ERROR_SUCCESS)
        endDialog(IDOK);
}

} // namespace Korva::QELD
