#include "applet/window_state.h"

#include "applet/applet_paths.h"
#include "applet/main_dialog.h"
#include "common/registry_key.h"

#include <commctrl.h>

#include <algorithm>

namespace Korva::QELD {

namespace {

using namespace Korva::Win32;

// Centres the dialog over a visible owner, otherwise in the work area of its
// monitor, and keeps it inside that work area.
void centre(HWND dialog) {
    RECT window{};
    ::GetWindowRect(dialog, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    RECT centreOf = work;
    const HWND owner = ::GetWindow(dialog, GW_OWNER);
    if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &centreOf);
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    LONG left = (centreOf.left + centreOf.right - width) / 2;
    LONG top = (centreOf.top + centreOf.bottom - height) / 2;
    left = std::max(work.left, std::min(left, work.right - width));
    top = std::max(work.top, std::min(top, work.bottom - height));
    ::SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// A stored position is used only where the dialog would lie at least partly
// on a monitor: after a monitor is removed or the resolution shrinks, it would
// open out of reach.
bool moveToStored(HWND dialog, HKEY key) {
    const auto top = readDword(key, L"top");
    const auto left = readDword(key, L"left");
    if (!top || !left)
        return false;
    RECT window{};
    ::GetWindowRect(dialog, &window);
    ::OffsetRect(&window, static_cast<LONG>(*left) - window.left,
                 static_cast<LONG>(*top) - window.top);
    if (::MonitorFromRect(&window, MONITOR_DEFAULTTONULL) == nullptr)
        return false;
    return ::SetWindowPos(dialog, nullptr, window.left, window.top, 0, 0,
                          SWP_NOSIZE | SWP_NOZORDER) != FALSE;
}

} // namespace

void SaveWindowState(MainDialog& dialog) {
    RegistryKey key;
    if (key.create(HKEY_CURRENT_USER, appletPaths().windowStateKey, appletWriteAccess))
        return;
    // A minimised dialog reports a parking position far off the screen; its
    // last real position is kept instead.
    RECT window{};
    if (!::IsIconic(dialog.hwnd()) && ::GetWindowRect(dialog.hwnd(), &window)) {
        writeDword(key.get(), L"top", static_cast<DWORD>(window.top));
        writeDword(key.get(), L"left", static_cast<DWORD>(window.left));
    }
    const auto tab = ::SendMessageW(dialog.tabControl(), TCM_GETCURSEL, 0, 0);
    writeDword(key.get(), L"tab", static_cast<DWORD>(tab));
}

void RestoreWindowState(MainDialog& dialog) {
    RegistryKey key;
    key.open(HKEY_CURRENT_USER, appletPaths().windowStateKey, KEY_READ);
    if (!key || !moveToStored(dialog.hwnd(), key.get()))
        centre(dialog.hwnd());
    const auto stored = key ? readDword(key.get(), L"tab") : std::nullopt;
    const int tab =
        stored && *stored < static_cast<DWORD>(dialog.pageCount()) ? static_cast<int>(*stored) : 0;
    ::SendMessageW(dialog.tabControl(), TCM_SETCURSEL, tab, 0);
    dialog.showPage(tab, true);
}

} // namespace Korva::QELD
