#include "applet/configure_qeld.h"

#include "applet/control_panel_open.h"
#include "applet/edit_dlg.h"
#include "applet/elevation.h"
#include "applet/module.h"
#include "applet/core/resource.h"
#include "applet/view_dlg.h"

#include <cpl.h>

#include <cstring>

namespace Korva::QELD {

namespace {

constexpr LONG appletCount = 1;

bool validIndex(LPARAM index) {
    return index >= 0 && index < appletCount;
}

LONG openApplet() {
    return openFromControlPanel(canEdit());
}

void inquire(CPLINFO& info) {
    info.idIcon = IDI_APPLET;
    info.idName = IDS_CPL_NAME;
    info.idInfo = IDS_CPL_DESCRIPTION;
    info.lData = 0;
}

void newInquire(NEWCPLINFOW& info) {
    std::memset(&info, 0, sizeof(info));
    info.dwSize = sizeof(info);
    ::lstrcpynW(info.szName, loadString(IDS_CPL_NAME).c_str(), 32);
    ::lstrcpynW(info.szInfo, loadString(IDS_CPL_DESCRIPTION).c_str(), 64);
    info.hIcon = ::LoadIconW(moduleInstance(), MAKEINTRESOURCEW(IDI_APPLET));
}

LONG startWithAnsiParameters(const char* parameters) {
    wchar_t converted[100] = {};
    if (parameters != nullptr)
        ::MultiByteToWideChar(CP_ACP, 0, parameters, -1, converted, 99);
    return openApplet();
}

} // namespace

} // namespace Korva::QELD

extern "C" QELD_APPLET_API LONG APIENTRY CPlApplet(HWND, UINT message, LPARAM index,
                                                   LPARAM parameter) {
    using namespace Korva::QELD;
    switch (message) {
    case CPL_INIT:
        return 1;
    case CPL_GETCOUNT:
        return appletCount;
    default:
        break;
    }
    const bool perApplet = message == CPL_INQUIRE || message == CPL_DBLCLK ||
                           message == CPL_NEWINQUIRE || message == CPL_STARTWPARMSA ||
                           message == CPL_STARTWPARMSW;
    if (!perApplet || !validIndex(index))
        return 0;
    switch (message) {
    case CPL_INQUIRE:
        inquire(*reinterpret_cast<CPLINFO*>(parameter));
        return 0;
    case CPL_NEWINQUIRE:
        newInquire(*reinterpret_cast<NEWCPLINFOW*>(parameter));
        return 0;
    case CPL_DBLCLK:
        openApplet();
        return 0;
    case CPL_STARTWPARMSA:
        return startWithAnsiParameters(reinterpret_cast<const char*>(parameter));
    default:
        return openApplet();
    }
}

extern "C" QELD_APPLET_API INT WINAPI ConfigureQELD(BOOL canEdit) {
    using namespace Korva::QELD;
    if (canEdit) {
        CEditDlg dialog;
        return static_cast<INT>(dialog.runModal(::GetActiveWindow()));
    }
    CViewDlg dialog;
    return static_cast<INT>(dialog.runModal(::GetActiveWindow()));
}
