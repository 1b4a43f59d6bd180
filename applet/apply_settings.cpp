#include "applet/apply_settings.h"

#include "applet/applet_paths.h"
#include "applet/edit_dlg.h"
#include "applet/registry_key.h"
#include "applet/service_control.h"
#include "applet/user_messages.h"

namespace Korva::QELD {

namespace {

// Shows the first page that cannot be saved with its message; true when all
// pages may be saved.
bool validateAll(CEditDlg& dialog) {
    for (int i = 0; i < dialog.pageCount(); ++i) {
        const unsigned message = ValidatePage(dialog.page(i));
        if (message == 0)
            continue;
        const auto text = loadString(message);
        ::SendMessageW(dialog.tabControl(), TCM_SETCURFOCUS, i, 0);
        ::MessageBoxW(dialog.hwnd(), text.c_str(), nullptr, MB_ICONWARNING);
        return false;
    }
    return true;
}

bool applyServiceState(CEditDlg& dialog) {
    if (!::IsWindowEnabled(dialog.disableBox()))
        return true;
    if (::SendMessageW(dialog.disableBox(), BM_GETCHECK, 0, 0) == BST_CHECKED)
        return ChangeServiceState(SERVICE_STOPPED, SERVICE_STOP, SERVICE_STOP_PENDING);
    return ChangeServiceState(SERVICE_RUNNING, SERVICE_START, SERVICE_START_PENDING);
}

bool failWithBeep() {
    ::MessageBeep(MB_OK);
    return false;
}

} // namespace

bool ApplySettings(CEditDlg& dialog) {
    if (!validateAll(dialog))
        return false;
    BOOL spinError = FALSE;
    const auto seconds = static_cast<DWORD>(::SendMessageW(dialog.spinControl(), UDM_GETPOS32, 0,
                                                           reinterpret_cast<LPARAM>(&spinError)));
    if (spinError)
        return failWithBeep();
    const auto parameters = createKeyForWriting(HKEY_LOCAL_MACHINE, appletPaths().parametersKey);
    if (!parameters)
        return failWithBeep();
    for (int i = 0; i < dialog.pageCount(); ++i)
        SavePageSettings(dialog.page(i));
    if (!writeDword(parameters.get(), L"Update Time", seconds * 1000))
        return failWithBeep();
    if (!applyServiceState(dialog))
        return failWithBeep();
    ::SendMessageW(dialog.hwnd(), UM_SETMODIFIED, 0, 0);
    return true;
}

} // namespace Korva::QELD
