#include "applet/applet_paths.h"
#include "applet/edit_dlg.h"
#include "applet/core/resource.h"
#include "settings/configuration_data.h"
#include "tests/applet/gui_support.h"
#include "tests/applet/registry_fixture.h"

#include <commctrl.h>

#include <initializer_list>
#include <vector>

namespace Korva::QELD::Test {
namespace {

constexpr int generic = 0, qel10 = 1, qel20 = 2, qel40 = 4;

class EditDialogTest : public AppletRegistryTest {
protected:
    HWND control(int tab, int id) { return dialog.page(tab).item(id); }
    bool applyEnabled() { return ::IsWindowEnabled(dialog.item(IDC_APPLY)) != FALSE; }
    void press(int id) {
        ::SendMessageW(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(dialog.item(id)));
    }
    void close() { ::SendMessageW(dialog.hwnd(), WM_COMMAND, IDCANCEL, 0); }
    int currentTab() {
        return static_cast<int>(::SendMessageW(dialog.tabControl(), TCM_GETCURSEL, 0, 0));
    }

    CEditDlg dialog;
};

TEST_F(EditDialogTest, ModelWithoutSubkeyUsesGenericAndGreysItsControls) {
    setString(L"QEL40", L"Folder", L"D:\\Forty");
    runDialog(dialog, [&] {
        EXPECT_EQ(::SendMessageW(control(qel10, IDC_USE_GENERIC), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_FALSE(::IsWindowEnabled(control(qel10, IDC_FOLDER)));
        EXPECT_FALSE(::IsWindowEnabled(control(qel10, IDC_SIZE_LIST)));
        EXPECT_EQ(::SendMessageW(control(qel40, IDC_USE_GENERIC), BM_GETCHECK, 0, 0),
                  BST_UNCHECKED);
        EXPECT_EQ(windowText(control(qel40, IDC_FOLDER)), L"D:\\Forty");
        EXPECT_FALSE(::IsWindowVisible(control(generic, IDC_USE_GENERIC)));
        close();
    });
}

// Presses a key in the focused control as the modal loop hands it on: first
// to the thread's message filters, then to the dialog manager.
void pressKey(HWND dialog, WPARAM key, std::initializer_list<int> held) {
    BYTE keys[256] = {};
    for (const int modifier : held)
        keys[modifier] = 0x80;
    ::SetKeyboardState(keys);
    MSG message{::GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
    if (!::IsDialogMessageW(dialog, &message))
        ::DispatchMessageW(&message);
    const BYTE released[256] = {};
    ::SetKeyboardState(const_cast<BYTE*>(released));
}

TEST_F(EditDialogTest, KeyboardReachesEveryControlAndSwitchesPages) {
    setString(L"QEL40", L"Folder", L"C:\\Forty");
    setDword(L"QEL40", L"Scale", 2);
    runDialog(dialog, [&] {
        ::SendMessageW(dialog.tabControl(), TCM_SETCURFOCUS, qel40, 0);
        choose(control(qel40, IDC_BORDER_LIST), 1); // modified: Apply takes part
        // The service box is disabled: no service is installed here.
        const std::vector<HWND> order{dialog.tabControl(),
                                      control(qel40, IDC_USE_GENERIC),
                                      control(qel40, IDC_FOLDER),
                                      control(qel40, IDC_BROWSE),
                                      control(qel40, IDC_SIZE_LIST),
                                      control(qel40, IDC_BORDER_LIST),
                                      control(qel40, IDC_POSITION_LIST),
                                      dialog.item(IDC_INTERVAL),
                                      dialog.item(IDOK),
                                      dialog.item(IDCANCEL),
                                      dialog.item(IDC_APPLY)};
        const auto count = order.size();
        for (std::size_t i = 0; i < count; ++i) {
            EXPECT_EQ(::GetNextDlgTabItem(dialog.hwnd(), order[i], FALSE), order[(i + 1) % count])
                << "Tab from control " << i;
            EXPECT_EQ(::GetNextDlgTabItem(dialog.hwnd(), order[i], TRUE),
                      order[(i + count - 1) % count])
                << "Shift+Tab from control " << i;
        }
        // The arrow keys move along the row of buttons; every other control
        // uses them itself or keeps the focus, and no label ever takes it.
        const HWND ok = dialog.item(IDOK), apply = dialog.item(IDC_APPLY);
        EXPECT_EQ(::GetNextDlgGroupItem(dialog.hwnd(), ok, FALSE), dialog.item(IDCANCEL));
        EXPECT_EQ(::GetNextDlgGroupItem(dialog.hwnd(), ok, TRUE), apply);
        EXPECT_EQ(::GetNextDlgGroupItem(dialog.hwnd(), apply, FALSE), ok);
        for (std::size_t i = 1; i < 7; ++i)
            EXPECT_EQ(::GetNextDlgGroupItem(dialog.hwnd(), order[i], FALSE), order[i]);
        ::SetFocus(control(qel40, IDC_FOLDER));
        pressKey(dialog.hwnd(), VK_TAB, {VK_CONTROL});
        EXPECT_EQ(currentTab(), qel40 + 1);
        EXPECT_TRUE(::IsWindowVisible(dialog.page(qel40 + 1).hwnd()));
        EXPECT_FALSE(::IsWindowVisible(dialog.page(qel40).hwnd()));
        EXPECT_EQ(::GetFocus(), dialog.tabControl());
        pressKey(dialog.hwnd(), VK_TAB, {VK_CONTROL, VK_SHIFT});
        pressKey(dialog.hwnd(), VK_TAB, {VK_CONTROL, VK_SHIFT});
        EXPECT_EQ(currentTab(), qel40 - 1);
        pressKey(dialog.hwnd(), VK_TAB, {});
        EXPECT_EQ(::GetFocus(), dialog.page(qel40 - 1).item(IDC_USE_GENERIC)) << "plain Tab";
        close();
    });
}

TEST_F(EditDialogTest, StoredLayoutValuesSelectTheirRows) {
    setDword(L"QEL10", L"Scale", 0);
    setDword(L"QEL10", L"Border", 1);
    setDword(L"QEL10", L"Clip", 0x22);
    setDword(L"QEL20", L"Scale", 2);
    setDword(L"QEL20", L"Border", 5);
    setDword(L"QEL20", L"Clip", 3);
    setDword(L"QEL40", L"Scale", 9);
    setDword(L"QEL40", L"Border", 0);
    runDialog(dialog, [&] {
        // "Stretch" leaves border and position at their initial Auto and Middle.
        EXPECT_EQ(selectedRow(control(qel10, IDC_SIZE_LIST)), 1);
        EXPECT_EQ(selectedRow(control(qel10, IDC_BORDER_LIST)), 0);
        EXPECT_EQ(selectedRow(control(qel10, IDC_POSITION_LIST)), 4);
        EXPECT_FALSE(::IsWindowEnabled(control(qel10, IDC_POSITION_LIST)));
        // Unknown values: border 5 is Auto, clip 3 is Middle.
        EXPECT_EQ(selectedRow(control(qel20, IDC_SIZE_LIST)), 2);
        EXPECT_EQ(selectedRow(control(qel20, IDC_BORDER_LIST)), 0);
        EXPECT_EQ(selectedRow(control(qel20, IDC_POSITION_LIST)), 4);
        EXPECT_TRUE(::IsWindowEnabled(control(qel20, IDC_POSITION_LIST)));
        // An unknown size shows "Best fit" and the border is still read.
        EXPECT_EQ(selectedRow(control(qel40, IDC_SIZE_LIST)), 0);
        EXPECT_EQ(selectedRow(control(qel40, IDC_BORDER_LIST)), 1);
        close();
    });
}

TEST_F(EditDialogTest, IntervalShowsWholeSecondsAndDefaultsToFive) {
    setDword(nullptr, L"Update Time", 2500);
    runDialog(dialog, [&] {
        EXPECT_EQ(windowText(dialog.item(IDC_INTERVAL)), L"2");
        close();
    });
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, keyPath().c_str(), L"Update Time");
    CEditDlg second;
    runDialog(second, [&] {
        EXPECT_EQ(windowText(second.item(IDC_INTERVAL)), L"5");
        ::SendMessageW(second.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
}

TEST_F(EditDialogTest, SavingWritesTheServicesFormat) {
    setString(L"QEL20", L"Folder", L"C:\\Twenty");
    setDword(L"QEL20", L"Border", 1);
    const auto result = runDialog(dialog, [&] {
        ::SetWindowTextW(control(generic, IDC_FOLDER), L"C:\\Pictures");
        choose(control(generic, IDC_SIZE_LIST), 1);   // Stretch
        choose(control(generic, IDC_BORDER_LIST), 1); // Black
        choose(control(qel20, IDC_SIZE_LIST), 2);     // Original size
        choose(control(qel20, IDC_POSITION_LIST), 8); // Bottom Right
        choose(control(qel20, IDC_BORDER_LIST), 0);   // Auto
        ::SetWindowTextW(dialog.item(IDC_INTERVAL), L"7");
        press(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(string(nullptr, L"Folder"), L"C:\\Pictures");
    EXPECT_EQ(dword(nullptr, L"Scale"), 0u);
    EXPECT_EQ(dword(nullptr, L"Clip"), 0x11u) << "stretch still stores the position";
    EXPECT_EQ(dword(nullptr, L"Border"), 0u);
    EXPECT_EQ(dword(nullptr, L"Update Time"), 7000u);
    EXPECT_EQ(dword(L"QEL20", L"Border"), std::nullopt) << "Auto deletes the value";
    EXPECT_EQ(dword(L"QEL20", L"Clip"), 0x22u);
    EXPECT_FALSE(keyExists(L"QEL10"));

    // The service's own reader sees the same sets.
    const auto key = openedKey(HKEY_LOCAL_MACHINE, keyPath());
    DeviceConfig genericSet, twenty;
    ASSERT_EQ(ConfigurationData::regQueryDeviceConfig(key.get(), nullptr, genericSet, nullptr), 0);
    ASSERT_EQ(ConfigurationData::regQueryDeviceConfig(key.get(), L"QEL20", twenty, &genericSet), 0);
    EXPECT_EQ(genericSet, (DeviceConfig{0, 0, 0x11, false, u"C:\\Pictures/"}));
    EXPECT_EQ(twenty, (DeviceConfig{0, 2, 0x22, true, u"C:\\Twenty/"}));
    DeviceConfig ten;
    EXPECT_NE(ConfigurationData::regQueryDeviceConfig(key.get(), L"QEL10", ten, &genericSet), 0);
}

TEST_F(EditDialogTest, TickingUseGenericDeletesTheWholeSubkey) {
    setString(nullptr, L"Folder", L"C:\\Pictures");
    setString(L"QEL40", L"Folder", L"C:\\Forty");
    setDword(L"QEL40", L"Scale", 2);
    runDialog(dialog, [&] {
        click(control(qel40, IDC_USE_GENERIC));
        EXPECT_FALSE(::IsWindowEnabled(control(qel40, IDC_FOLDER)));
        press(IDOK);
    });
    EXPECT_FALSE(keyExists(L"QEL40"));
    EXPECT_TRUE(keyExists(nullptr));
}

TEST_F(EditDialogTest, OwnSettingsWithoutFolderAreRefusedOnTheirTab) {
    setString(nullptr, L"Folder", L"C:\\Pictures");
    const auto result = runDialog(dialog, [&] {
        click(control(qel40, IDC_USE_GENERIC));
        EXPECT_TRUE(::IsWindowEnabled(control(qel40, IDC_FOLDER)));
        MessageBoxCatcher box(dialog.hwnd());
        press(IDOK);
        EXPECT_EQ(box.text(), L"Error: folder must be specified");
        EXPECT_EQ(currentTab(), qel40);
        EXPECT_TRUE(::IsWindowVisible(dialog.page(qel40).hwnd()));
        close();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(keyExists(L"QEL40"));
    EXPECT_EQ(dword(nullptr, L"Update Time"), std::nullopt) << "nothing is written";
}

TEST_F(EditDialogTest, NetworkFolderIsRefused) {
    runDialog(dialog, [&] {
        ::SetWindowTextW(control(generic, IDC_FOLDER), L"\\\\server\\share\\pictures");
        MessageBoxCatcher box(dialog.hwnd());
        press(IDC_APPLY);
        EXPECT_EQ(box.text(), L"Error: network and removable drives are not supported");
        close();
    });
    EXPECT_EQ(string(nullptr, L"Folder"), std::nullopt);
}

TEST_F(EditDialogTest, TypedIntervalIsKeptInRange) {
    setString(nullptr, L"Folder", L"C:\\Pictures");
    const auto result = runDialog(dialog, [&] {
        const HWND field = dialog.item(IDC_INTERVAL);
        ::SetWindowTextW(field, L"0");
        EXPECT_EQ(windowText(field), L"1");
        ::SetWindowTextW(field, L"999");
        EXPECT_EQ(windowText(field), L"600");
        ::SetWindowTextW(field, L"");
        press(IDOK);
        EXPECT_TRUE(::IsWindow(dialog.hwnd())) << "an empty interval keeps the dialog open";
        close();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dword(nullptr, L"Update Time"), std::nullopt);
}

TEST_F(EditDialogTest, ApplyFollowsTheModifiedState) {
    setString(nullptr, L"Folder", L"C:\\Pictures");
    runDialog(dialog, [&] {
        EXPECT_FALSE(applyEnabled());
        choose(control(generic, IDC_BORDER_LIST), 2);
        EXPECT_TRUE(applyEnabled());
        press(IDC_APPLY);
        EXPECT_FALSE(applyEnabled());
        EXPECT_EQ(dword(nullptr, L"Border"), 1u);
        click(dialog.item(IDC_DISABLE));
        EXPECT_TRUE(applyEnabled());
        close();
    });
}

TEST_F(EditDialogTest, ServiceBoxIsDisabledWhenTheServiceIsNotInstalled) {
    setString(nullptr, L"Folder", L"C:\\Pictures");
    // An installed service of the system enables the box; the dialog is closed
    // without saving, so the service is only read.
    appletPaths().serviceName = L"RpcSs";
    CEditDlg installed;
    runDialog(installed, [&] {
        EXPECT_TRUE(::IsWindowEnabled(installed.item(IDC_DISABLE)));
        ::SendMessageW(installed.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
    appletPaths().serviceName = L"QELDTEST_NOT_INSTALLED";
    runDialog(dialog, [&] {
        EXPECT_FALSE(::IsWindowEnabled(dialog.item(IDC_DISABLE)));
        press(IDC_APPLY);
        EXPECT_FALSE(applyEnabled()) << "the registry is written without a service request";
        close();
    });
    EXPECT_EQ(dword(nullptr, L"Update Time"), 5000u);
}

TEST_F(EditDialogTest, FailedSaveNamesItsPageAndKeepsTheDialogOpen) {
    setString(nullptr, L"Folder", L"C:\\Pictures");
    setString(L"QEL40", L"Folder", L"C:\\Forty");
    // A model key with a subkey of its own cannot be deleted.
    ASSERT_TRUE(createdKey(HKEY_LOCAL_MACHINE, keyPath(L"QEL40") + L"\\Extra"));
    const auto result = runDialog(dialog, [&] {
        click(control(qel40, IDC_USE_GENERIC));
        ::SetWindowTextW(dialog.item(IDC_INTERVAL), L"7");
        MessageBoxCatcher box(dialog.hwnd());
        press(IDOK);
        const std::wstring prefix = L"The settings of the QEL-40 tab could not be saved: ";
        const auto text = box.text();
        EXPECT_EQ(text.substr(0, prefix.size()), prefix);
        EXPECT_GT(text.size(), prefix.size()) << "the system's reason follows";
        EXPECT_EQ(currentTab(), qel40);
        EXPECT_TRUE(applyEnabled());
        close();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(keyExists(L"QEL40"));
    EXPECT_EQ(dword(nullptr, L"Update Time"), std::nullopt) << "saving stops at the page";
}

TEST_F(EditDialogTest, LongFolderIsShownAndSavedWhole) {
    const std::wstring folder = L"C:\\" + std::wstring(300, L'x');
    setString(nullptr, L"Folder", folder);
    const auto result = runDialog(dialog, [&] {
        EXPECT_EQ(windowText(control(generic, IDC_FOLDER)), folder);
        MessageBoxCatcher box(dialog.hwnd());
        press(IDOK);
        EXPECT_EQ(box.text(), L"");
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(string(nullptr, L"Folder"), folder);
}

TEST_F(EditDialogTest, FolderBrowserSetsThePickedFolder) {
    (void)::CoInitialize(nullptr);
    runDialog(dialog, [&] {
        const HWND folder = control(generic, IDC_FOLDER);
        ::SetWindowTextW(folder, L"C:\\windows\\");
        // The browser opens on the folder of the field; OK picks it.
        MessageBoxCatcher browser(dialog.hwnd());
        notify(control(generic, IDC_BROWSE), BN_CLICKED);
        browser.text();
        EXPECT_EQ(windowText(folder), L"C:\\windows") << "the path as the shell gives it";
        close();
    });
    ::CoUninitialize();
}

TEST_F(EditDialogTest, ClosingAfterEditsDiscardsThem) {
    setString(nullptr, L"Folder", L"C:\\Pictures");
    runDialog(dialog, [&] {
        ::SetWindowTextW(control(generic, IDC_FOLDER), L"C:\\Other");
        close();
    });
    EXPECT_EQ(string(nullptr, L"Folder"), L"C:\\Pictures");
}

} // namespace
} // namespace Korva::QELD::Test
