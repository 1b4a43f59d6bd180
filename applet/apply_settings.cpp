#include "applet/apply_settings.h"

#include "applet/applet_paths.h"
#include "applet/edit_dlg.h"
#include "applet/module.h"
#include "applet/page_table.h"
#include "applet/core/resource.h"
#include "applet/service_control.h"
#include "applet/user_messages.h"
#include "common/core/utf.h"
#include "common/registry_key.h"

#include <string>
#include <system_error>

namespace Korva::QELD {

namespace {

// Gives a page's tab the focus, which also shows the page, and tells the user
// what is wrong with it.
void reportOnPage(CEditDlg& dialog, int index, const std::wstring& text) {
    ::SendMessageW(dialog.tabControl(), TCM_SETCURFOCUS, index, 0);
    ::MessageBoxW(dialog.hwnd(), text.c_str(), nullptr, MB_ICONWARNING);
}

// Shows the first page that cannot be saved with its message; true when all
// pages may be saved.
bool validateAll(CEditDlg& dialog) {
    for (int i = 0; i < dialog.pageCount(); ++i) {
        const unsigned message = ValidatePage(dialog.page(i));
        if (message == 0)
            continue;
        reportOnPage(dialog, i, loadString(message));
        return false;
    }
    return true;
}

// Saves the pages in tab order up to the first that fails, which is shown
// with the system's reason; true when all were saved.
bool saveAll(CEditDlg& dialog) {
    for (int i = 0; i < dialog.pageCount(); ++i) {
        try {
            SavePageSettings(dialog.page(i));
        } catch (const std::system_error& error) {
            const auto reason = utf16FromUtf8(error.code().message());
            reportOnPage(
                dialog, i,
                formatString(IDS_SAVE_FAILED, {loadString(pageTable[i].labelId),
                                               std::wstring(reason.begin(), reason.end())}));
            return false;
        }
    }
    return true;
}

// The start type is set first, so that a service that cannot be brought to
// the state now still follows the choice at the next restart.
bool applyServiceState(CEditDlg& dialog) {
    if (!::IsWindowEnabled(dialog.disableBox()))
        return true;
    if (::SendMessageW(dialog.disableBox(), BM_GETCHECK, 0, 0) == BST_CHECKED)
        return changeServiceStartType(StartType::OnDemand) && ChangeServiceState(toStopped);
    return changeServiceStartType(StartType::Automatic) && ChangeServiceState(toRunning);
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
    Win32::RegistryKey parameters;
    if (parameters.create(HKEY_LOCAL_MACHINE, appletPaths().parametersKey, appletWriteAccess))
        return failWithBeep();
    if (!saveAll(dialog))
        return false;
    if (Win32::writeDword(parameters.get(), L"Update Time", seconds * 1000))
        return failWithBeep();
    if (!applyServiceState(dialog))
        return failWithBeep();
    ::SendMessageW(dialog.hwnd(), UM_SETMODIFIED, 0, 0);
    return true;
}

} // namespace Korva::QELD
