#include "applet/main_dialog.h"

#include "applet/core/resource.h"
#include "applet/window_state.h"

#include <commctrl.h>
#include <uxtheme.h>

namespace Korva::QELD {

namespace {

// The main dialog whose pages the keys switch. The modal loop of the dialog
// offers every message to the thread's message filters before the dialog
// manager sees it, which would take Ctrl+Tab for a plain Tab.
thread_local MainDialog* keyboardDialog = nullptr;

bool isPageSwitchKey(const MSG& message) {
    return message.message == WM_KEYDOWN && message.wParam == VK_TAB &&
           ::GetKeyState(VK_CONTROL) < 0;
}

LRESULT CALLBACK pageKeyFilter(int code, WPARAM wParam, LPARAM lParam) {
    const auto& message = *reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && keyboardDialog != nullptr && isPageSwitchKey(message)) {
        const HWND dialog = keyboardDialog->hwnd();
        if (message.hwnd == dialog || ::IsChild(dialog, message.hwnd)) {
            keyboardDialog->switchPage(::GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
            return 1;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

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
    pageKeys_.reset(
        ::SetWindowsHookExW(WH_MSGFILTER, pageKeyFilter, nullptr, ::GetCurrentThreadId()));
    keyboardDialog = this;
}

void MainDialog::switchPage(int step) {
    const int count = pageCount();
    const auto current = static_cast<int>(::SendMessageW(tab_, TCM_GETCURSEL, 0, 0));
    // On a tab strip without buttons, moving the focus selects the tab and
    // notifies the dialog, which shows the page.
    ::SendMessageW(tab_, TCM_SETCURFOCUS, (current + step + count) % count, 0);
    ::SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tab_), TRUE);
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
        pageKeys_.reset();
        if (keyboardDialog == this)
            keyboardDialog = nullptr;
        return true;
    default:
        return false;
    }
}

} // namespace Korva::QELD
