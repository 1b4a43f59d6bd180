#include "applet/folder_browser.h"

#include "applet/module.h"
#include "applet/core/page_validation.h"
#include "applet/core/resource.h"
#include "applet/settings_store.h"
#include "common/unique_handle.h"

#include <commctrl.h>
#include <shlobj.h>

namespace Korva::QELD {

namespace {

BOOL CALLBACK findTree(HWND child, LPARAM found) {
    wchar_t className[32] = {};
    ::GetClassNameW(child, className, 32);
    if (std::wstring_view(className) != L"SysTreeView32")
        return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// Brings the selected folder into view: the tree fills itself after the
// selection, so the browser gets a moment before and after the scroll.
void revealSelection(HWND browser) {
    HWND tree = nullptr;
    ::EnumChildWindows(browser, findTree, reinterpret_cast<LPARAM>(&tree));
    if (tree == nullptr)
        return;
    ::Sleep(250);
    const auto caret = ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    ::PostMessageW(tree, TVM_ENSUREVISIBLE, 0, caret);
    ::Sleep(250);
}

int CALLBACK browseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
        ::SendMessageW(browser, BFFM_SETEXPANDED, TRUE, data);
        revealSelection(browser);
    }
    return 0;
}

} // namespace

std::optional<std::wstring> browseForPictureFolder(HWND owner, const std::wstring& current) {
    const auto title = loadString(IDS_BROWSE_TITLE);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = browseCallback;
    info.lParam = reinterpret_cast<LPARAM>(current.c_str());
    const Korva::Win32::unique_com_memory picked(::SHBrowseForFolderW(&info));
    if (!picked)
        return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(picked.get()), path))
        return std::nullopt;
    if (IsFolderAccepted(path))
        return std::wstring(path);
    ::MessageBoxW(owner, loadString(IDS_FOLDER_REFUSED).c_str(), nullptr, MB_ICONWARNING);
    return std::nullopt;
}

} // namespace Korva::QELD
