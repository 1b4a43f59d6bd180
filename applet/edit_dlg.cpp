#include "applet/edit_dlg.h"

#include "applet/apply_settings.h"
#include "applet/core/interval.h"
#include "applet/core/resource.h"
#include "applet/service_control.h"
#include "applet/user_messages.h"

namespace Korva::QELD {

CEditDlg::CEditDlg() : CMainDlgBase(IDD_EDIT_MAIN) {}

void CEditDlg::SetUpdateTime(unsigned seconds) {
    ::SendMessageW(spin_, UDM_SETPOS32, 0, static_cast<LPARAM>(seconds));
}

bool CEditDlg::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
    case WM_INITDIALOG:
        onInitDialog();
        result = TRUE;
        return true;
    case UM_SETMODIFIED:
        ::EnableWindow(apply_, wParam != 0);
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL)
            break;
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return true;
    default:
        break;
    }
    return handleFrameMessage(message, wParam, lParam, result);
}

void CEditDlg::onInitDialog() {
    setItemTexts(hwnd(), {
                             {IDC_INTERVAL_LABEL, IDS_CHANGE_EVERY},
                             {IDC_SECONDS_LABEL, IDS_SECONDS},
                             {IDC_DISABLE, IDS_DISABLE},
                             {IDOK, IDS_OK},
                             {IDCANCEL, IDS_CLOSE},
                             {IDC_APPLY, IDS_APPLY},
                         });
    ::SetWindowTextW(hwnd(), loadString(IDS_CAPTION).c_str());
    apply_ = item(IDC_APPLY);
    interval_ = item(IDC_INTERVAL);
    spin_ = item(IDC_SPIN);
    disable_ = item(IDC_DISABLE);
    ::SendMessageW(spin_, UDM_SETRANGE32, minIntervalSeconds, maxIntervalSeconds);
    if (const auto disabled = querySlideshowDisabled())
        ::SendMessageW(disable_, BM_SETCHECK, *disabled ? BST_CHECKED : BST_UNCHECKED, 0);
    else
        ::EnableWindow(disable_, FALSE);
    initMainDialog();
    // Loading the pages' folders marked the settings modified; the dialog
    // opens unmodified.
    ::SendMessageW(hwnd(), UM_SETMODIFIED, 0, 0);
}

void CEditDlg::onCommand(int id, int code) {
    if (id == IDOK && code == BN_CLICKED) {
        if (ApplySettings(*this))
            endDialog(IDOK);
    } else if (id == IDC_APPLY && code == BN_CLICKED) {
        ApplySettings(*this);
    } else if (id == IDC_INTERVAL && code == EN_CHANGE) {
        onIntervalChanged();
    } else if (id == IDC_DISABLE && code == BN_CLICKED) {
        ::SendMessageW(hwnd(), UM_SETMODIFIED, 1, 0);
    }
}

void CEditDlg::onIntervalChanged() {
    if (::GetWindowTextLengthW(interval_) > 0) {
        wchar_t text[16] = {};
        ::GetWindowTextW(interval_, text, 16);
        const auto typed = typedNumber(reinterpret_cast<const char16_t*>(text));
        if (const auto corrected = correctedInterval(typed)) {
            ::SendMessageW(spin_, UDM_SETPOS32, 0, *corrected);
            ::MessageBeep(MB_OK);
        }
    }
    ::SendMessageW(hwnd(), UM_SETMODIFIED, 1, 0);
}

} // namespace Korva::QELD
