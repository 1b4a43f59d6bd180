#include "applet/control_panel_open.h"

#include "applet/edit_dlg.h"
#include "applet/launch.h"
#include "applet/module.h"
#include "applet/core/resource.h"
#include "common/error_categories.h"
#include "common/core/utf.h"

namespace Korva::QELD {

namespace {

constexpr wchar_t launcherName[] = L"qeldcfg.exe";

// The launcher's path beside the applet's module; empty when the module's own
// path cannot be read.
std::wstring launcherPath() {
    auto path = modulePath(moduleInstance());
    if (!path)
        return {};
    path->resize(path->find_last_of(L'\\') + 1);
    return *path + launcherName;
}

void startLauncher(HWND owner) {
    const auto path = launcherPath();
    const DWORD error = path.empty() ? ::GetLastError() : launchStep()(owner, L"open", path);
    if (error == ERROR_SUCCESS)
        return;
    const auto reason =
        utf16FromUtf8(Korva::Win32::win32api_category().message(static_cast<int>(error)));
    const auto text = formatString(IDS_LAUNCH_FAILED, {path.empty() ? launcherName : path,
                                                       std::wstring(reason.begin(), reason.end())});
    ::MessageBoxW(owner, text.c_str(), nullptr, MB_ICONWARNING);
}

} // namespace

LONG openFromControlPanel(bool mayEdit) {
    // The control panel's window is not the owner; the process's active
    // window is.
    const HWND owner = ::GetActiveWindow();
    if (!mayEdit) {
        startLauncher(owner);
        return 1;
    }
    CEditDlg dialog;
    dialog.runModal(owner);
    return 1;
}

} // namespace Korva::QELD
