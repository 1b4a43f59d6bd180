#include "applet/edit_dlg.h"
#include "applet/applet_paths.h"
#include "applet/control_panel_open.h"
#include "applet/icon_handle.h"
#include "applet/launch.h"
#include "applet/module.h"
#include "applet/core/resource.h"
#include "applet/view_dlg.h"
#include "tests/applet/gui_support.h"
#include "tests/applet/registry_fixture.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace Korva::QELD::Test {
namespace {

constexpr int generic = 0, qel10 = 1, qel40 = 4;

bool shown(HWND window) {
    return (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

void selectTab(MainDialog& dialog, int tab) {
    ::SendMessageW(dialog.tabControl(), TCM_SETCURFOCUS, tab, 0);
}

// The picture a page's preview shows, compared with the icon it should be.
std::vector<std::uint32_t> previewOf(CPadDlgBase& page) {
    return iconPixels(
        reinterpret_cast<HICON>(::SendMessageW(page.item(IDC_PREVIEW), STM_GETICON, 0, 0)));
}

std::vector<std::uint32_t> previewIcon(int id) {
    const auto icon = loadAppletIcon(id, 96, 96);
    return iconPixels(icon.get());
}

using ViewDialogTest = AppletRegistryTest;

TEST_F(ViewDialogTest, ModelsWithoutSettingsShowOnlyUseGeneric) {
    setString(nullptr, L"Folder", L"C:\\Pictures");
    setString(L"QEL40", L"Folder", L"C:\\Forty");
    setDword(L"QEL40", L"Scale", 2);
    setDword(L"QEL40", L"Clip", 0x21);
    setDword(nullptr, L"Update Time", 12000);
    CViewDlg dialog;
    const auto result = runDialog(dialog, [&] {
        auto& ten = dialog.page(qel10);
        EXPECT_TRUE(shown(ten.item(IDC_USE_GENERIC)));
        EXPECT_FALSE(shown(ten.item(IDC_FOLDER)));
        EXPECT_FALSE(shown(ten.item(IDC_LAYOUT_GROUP)));
        EXPECT_TRUE(shown(ten.item(IDC_PREVIEW)));
        EXPECT_EQ(previewOf(ten), previewIcon(IDI_PREVIEWS_QEL10 + 21));
        auto& forty = dialog.page(qel40);
        EXPECT_FALSE(shown(forty.item(IDC_USE_GENERIC)));
        EXPECT_EQ(windowText(forty.item(IDC_SIZE_LIST)), L"Original size");
        EXPECT_EQ(windowText(forty.item(IDC_BORDER_LIST)), L"Auto");
        EXPECT_EQ(windowText(forty.item(IDC_POSITION_LIST)), L"Bottom");
        EXPECT_EQ(previewOf(forty), previewIcon(IDI_PREVIEWS_QEL40 + 12 + 7))
            << "black border, bottom";
        EXPECT_EQ(windowText(dialog.item(IDC_INTERVAL)), L"12");
        EXPECT_TRUE(shown(dialog.item(IDC_DISABLE))) << "the service is not installed";
        EXPECT_EQ(::GetFocus(), dialog.item(IDCANCEL));
        ::SendMessageW(dialog.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(ViewDialogTest, MissingParametersKeyShowsUseGenericOnTheGenericTab) {
    deleteParameters();
    CViewDlg view;
    runDialog(view, [&] {
        EXPECT_TRUE(shown(view.page(generic).item(IDC_USE_GENERIC)));
        EXPECT_FALSE(shown(view.page(generic).item(IDC_FOLDER)));
        ::SendMessageW(view.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
    CEditDlg edit;
    runDialog(edit, [&] {
        auto& page = edit.page(generic);
        EXPECT_EQ(selectedRow(page.item(IDC_SIZE_LIST)), 0);
        EXPECT_EQ(selectedRow(page.item(IDC_BORDER_LIST)), 0);
        EXPECT_EQ(selectedRow(page.item(IDC_POSITION_LIST)), 4);
        EXPECT_EQ(windowText(page.item(IDC_FOLDER)), L"");
        ::SendMessageW(edit.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
}

using PreviewTest = AppletRegistryTest;

TEST_F(PreviewTest, PreviewFollowsTheLayoutLists) {
    setString(nullptr, L"Folder", L"C:\\Pictures");
    CEditDlg dialog;
    runDialog(dialog, [&] {
        auto& forty = dialog.page(qel40);
        click(forty.item(IDC_USE_GENERIC));
        EXPECT_EQ(previewOf(forty), previewIcon(IDI_PREVIEWS_QEL40 + 11))
            << "Auto on QEL-40 is black";
        choose(forty.item(IDC_SIZE_LIST), 1);
        EXPECT_EQ(previewOf(forty), previewIcon(IDI_PREVIEWS_QEL40));
        EXPECT_FALSE(::IsWindowEnabled(forty.item(IDC_POSITION_LIST)));
        choose(forty.item(IDC_SIZE_LIST), 2);
        choose(forty.item(IDC_POSITION_LIST), 0);
        EXPECT_TRUE(::IsWindowEnabled(forty.item(IDC_POSITION_LIST)));
        EXPECT_EQ(previewOf(forty), previewIcon(IDI_PREVIEWS_QEL40 + 12));
        click(forty.item(IDC_USE_GENERIC));
        EXPECT_EQ(previewOf(forty), previewIcon(IDI_PREVIEWS_QEL40 + 21)) << "greyed tablet";
        EXPECT_FALSE(::IsWindowEnabled(forty.item(IDC_POSITION_LIST)));
        auto& ten = dialog.page(qel10);
        click(ten.item(IDC_USE_GENERIC));
        EXPECT_EQ(previewOf(ten), previewIcon(IDI_PREVIEWS_QEL10 + 1)) << "Auto on QEL-10 is white";
        ::SendMessageW(dialog.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
}

using WindowStateTest = AppletRegistryTest;

TEST_F(WindowStateTest, PositionAndTabAreRestoredOnReopen) {
    CEditDlg first;
    runDialog(first, [&] {
        selectTab(first, qel40);
        ::SetWindowPos(first.hwnd(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ::SendMessageW(first.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
    CViewDlg second;
    runDialog(second, [&] {
        RECT window{};
        ::GetWindowRect(second.hwnd(), &window);
        EXPECT_EQ(window.left, 40);
        EXPECT_EQ(window.top, 30);
        EXPECT_EQ(::SendMessageW(second.tabControl(), TCM_GETCURSEL, 0, 0), qel40);
        EXPECT_TRUE(shown(second.page(qel40).hwnd()));
        EXPECT_FALSE(shown(second.page(generic).hwnd()));
        ::SendMessageW(second.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
}

TEST_F(WindowStateTest, PositionOffEveryScreenIsCentredOnThePrimaryMonitor) {
    const auto key = createdKey(HKEY_CURRENT_USER, appletPaths().windowStateKey);
    writeDword(key.get(), L"left", static_cast<DWORD>(-20000));
    writeDword(key.get(), L"top", 5000);
    CViewDlg dialog;
    runDialog(dialog, [&] {
        RECT window{};
        ::GetWindowRect(dialog.hwnd(), &window);
        MONITORINFO primary{};
        primary.cbSize = sizeof(primary);
        ::GetMonitorInfoW(::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary);
        const RECT work = primary.rcWork;
        EXPECT_NEAR(window.left + window.right, work.left + work.right, 1);
        EXPECT_NEAR(window.top + window.bottom, work.top + work.bottom, 1);
        ::SendMessageW(dialog.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
}

TEST_F(WindowStateTest, StoredTabBeyondTheLastSelectsGeneric) {
    const auto key = createdKey(HKEY_CURRENT_USER, appletPaths().windowStateKey);
    writeDword(key.get(), L"tab", 7);
    CEditDlg dialog;
    runDialog(dialog, [&] {
        EXPECT_EQ(::SendMessageW(dialog.tabControl(), TCM_GETCURSEL, 0, 0), generic);
        EXPECT_TRUE(shown(dialog.page(generic).hwnd()));
        ::SendMessageW(dialog.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
}

// Pictures of every tab of both dialogs, for people to look at, with the
// keyboard cues shown and the focus on the first control of each page that
// has one.
class ScreenshotTest : public AppletRegistryTest {
protected:
    template <class Dialog> void shootTabs(Dialog& dialog, const std::string& prefix) {
        ::SendMessageW(dialog.hwnd(), WM_CHANGEUISTATE,
                       MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
        for (int tab = 0; tab < dialog.pageCount(); ++tab) {
            selectTab(dialog, tab);
            const HWND page = dialog.page(tab).hwnd();
            const HWND first = ::GetNextDlgTabItem(page, nullptr, FALSE);
            if (first != nullptr && ::IsChild(page, first)) {
                ::SendMessageW(dialog.hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
                EXPECT_EQ(::GetFocus(), first) << prefix << " tab " << tab;
            }
            ::RedrawWindow(dialog.hwnd(), nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            EXPECT_TRUE(saveScreenshot(prefix + "-tab" + std::to_string(tab)))
                << prefix << " tab " << tab;
        }
        ::SendMessageW(dialog.hwnd(), WM_COMMAND, IDCANCEL, 0);
    }

    void storeSample() {
        setString(nullptr, L"Folder", L"C:\\Users\\Public\\Pictures");
        setDword(nullptr, L"Update Time", 10000);
        setString(L"QEL10", L"Folder", L"C:\\Slides\\Ten");
        setDword(L"QEL10", L"Scale", 0);
        setString(L"QEL30", L"Folder", L"C:\\Slides\\Thirty");
        setDword(L"QEL30", L"Scale", 2);
        setDword(L"QEL30", L"Clip", 0x22);
        setDword(L"QEL30", L"Border", 1);
        setString(L"QEL40", L"Folder", L"C:\\Slides\\Forty");
        setDword(L"QEL40", L"Scale", 2);
        setDword(L"QEL40", L"Clip", 0x00);
    }
};

TEST_F(ScreenshotTest, EveryTabOfBothDialogs) {
    storeSample();
    CEditDlg edit;
    runDialog(edit, [&] { shootTabs(edit, "edit"); });
    CViewDlg view;
    runDialog(view, [&] { shootTabs(view, "view"); });
}

} // namespace
} // namespace Korva::QELD::Test

namespace Korva::QELD::Test {
namespace {

struct Launch {
    std::wstring verb;
    std::wstring program;
};

std::vector<Launch> launches;
DWORD launchResult = ERROR_SUCCESS;

DWORD recordLaunch(HWND, const wchar_t* verb, const std::wstring& program) {
    launches.push_back({verb, program});
    return launchResult;
}

std::wstring ownPath() {
    return modulePath(nullptr).value_or(L"");
}

// Programs the applet starts are recorded instead of started.
class LaunchTest : public AppletRegistryTest {
protected:
    void SetUp() override {
        AppletRegistryTest::SetUp();
        launches.clear();
        launchResult = ERROR_SUCCESS;
        launchStep() = recordLaunch;
    }
    void TearDown() override {
        launchStep() = saved;
        AppletRegistryTest::TearDown();
    }

    LaunchStep saved = launchStep();
};

TEST_F(LaunchTest, ChangeStartsTheProgramAgainElevatedAndCloses) {
    launchResult = ERROR_CANCELLED;
    CViewDlg refused;
    const auto stayed = runDialog(refused, [&] {
        ::SendMessageW(refused.hwnd(), WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(::IsWindow(refused.hwnd())) << "a refused elevation keeps the dialog open";
        ::SendMessageW(refused.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(stayed, IDCANCEL);
    launchResult = ERROR_SUCCESS;
    CViewDlg dialog;
    const auto result = runDialog(dialog, [&] {
        selectTab(dialog, qel40);
        ::SendMessageW(dialog.hwnd(), WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[1].verb, L"runas");
    EXPECT_EQ(launches[1].program, ownPath());
    const auto key = openedKey(HKEY_CURRENT_USER, appletPaths().windowStateKey);
    EXPECT_EQ(readDword(key.get(), L"tab"), static_cast<DWORD>(qel40)) << "the new one opens there";
}

TEST_F(LaunchTest, ControlPanelStartsTheLauncherBesideTheAppletWhenItMayNotEdit) {
    EXPECT_EQ(openFromControlPanel(false), 1);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].verb, L"open");
    const auto own = ownPath();
    const auto launcher = own.substr(0, own.find_last_of(L'\\') + 1) + L"qeldcfg.exe";
    EXPECT_EQ(launches[0].program, launcher);
    launchResult = ERROR_FILE_NOT_FOUND;
    MessageBoxCatcher box(nullptr);
    EXPECT_EQ(openFromControlPanel(false), 1);
    const auto prefix = launcher + L" could not be started: ";
    const auto text = box.text();
    EXPECT_EQ(text.substr(0, prefix.size()), prefix);
    EXPECT_GT(text.size(), prefix.size()) << "the system's reason follows";
}

} // namespace
} // namespace Korva::QELD::Test
