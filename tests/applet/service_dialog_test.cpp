#include "applet/edit_dlg.h"
#include "applet/core/resource.h"
#include "applet/view_dlg.h"
#include "tests/applet/gui_support.h"
#include "tests/applet/service_fixture.h"

namespace Korva::QELD::Test {
namespace {

class ServiceDialogTest : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        setString(nullptr, L"Folder", L"C:\\Pictures");
    }

    void press(CEditDlg& dialog, int id) {
        ::SendMessageW(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(dialog.item(id)));
    }
    static bool ticked(HWND box) { return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    static bool enabled(HWND window) { return ::IsWindowEnabled(window) != FALSE; }
    static bool shown(HWND window) {
        return (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
    }
    static void close(Dialog& dialog) { ::SendMessageW(dialog.hwnd(), WM_COMMAND, IDCANCEL, 0); }
};

TEST_F(ServiceDialogTest, DisableSlideshowStopsAndStartsTheService) {
    startService();
    const DWORD first = service.processId();
    CEditDlg dialog;
    const auto result = runDialog(dialog, [&] {
        const HWND box = dialog.item(IDC_DISABLE);
        EXPECT_TRUE(enabled(box));
        EXPECT_FALSE(ticked(box)) << "the service runs";
        // Unticked with the service running: saved without a service request,
        // which would fail, since the service runs already.
        ::SetWindowTextW(dialog.item(IDC_INTERVAL), L"6");
        press(dialog, IDC_APPLY);
        EXPECT_FALSE(enabled(dialog.item(IDC_APPLY))) << "Apply succeeded";
        EXPECT_EQ(service.processId(), first);
        click(box);
        press(dialog, IDC_APPLY);
        EXPECT_FALSE(enabled(dialog.item(IDC_APPLY))) << "Apply succeeded";
        EXPECT_EQ(service.state(), SERVICE_STOPPED);
        EXPECT_EQ(service.startType(), SERVICE_DEMAND_START) << "stays off after a restart";
        click(box);
        press(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(service.state(), SERVICE_RUNNING);
    // Wine refuses delayed automatic start, as systems before 6.0 do: plain
    // automatic start is what it gets.
    EXPECT_EQ(service.startType(), SERVICE_AUTO_START);
    EXPECT_NE(service.processId(), first) << "started anew";
    EXPECT_EQ(dword(nullptr, L"Update Time"), 6000u);
}

TEST_F(ServiceDialogTest, StoppedServiceStaysStoppedWithTheBoxTicked) {
    installService();
    CEditDlg automatic;
    runDialog(automatic, [&] {
        EXPECT_FALSE(ticked(automatic.item(IDC_DISABLE))) << "it starts with the system";
        close(automatic);
    });
    service.setStartType(SERVICE_DEMAND_START);
    CEditDlg dialog;
    runDialog(dialog, [&] {
        EXPECT_TRUE(enabled(dialog.item(IDC_DISABLE)));
        EXPECT_TRUE(ticked(dialog.item(IDC_DISABLE))) << "the service is stopped";
        ::SetWindowTextW(dialog.item(IDC_INTERVAL), L"8");
        press(dialog, IDC_APPLY);
        EXPECT_FALSE(enabled(dialog.item(IDC_APPLY))) << "Apply succeeded";
        close(dialog);
    });
    EXPECT_EQ(service.state(), SERVICE_STOPPED);
    EXPECT_EQ(service.startType(), SERVICE_DEMAND_START);
    EXPECT_EQ(dword(nullptr, L"Update Time"), 8000u);
}

TEST_F(ServiceDialogTest, ServiceThatCannotBeStartedKeepsTheDialogOpenAndTheSettingsSaved) {
    installService();
    CEditDlg dialog;
    const auto result = runDialog(dialog, [&] {
        EXPECT_FALSE(ticked(dialog.item(IDC_DISABLE))) << "it starts with the system";
        ::SetWindowTextW(dialog.item(IDC_INTERVAL), L"9");
        // The service disappears while the dialog is open.
        removeService();
        press(dialog, IDOK);
        EXPECT_TRUE(::IsWindow(dialog.hwnd()));
        EXPECT_TRUE(enabled(dialog.item(IDC_APPLY))) << "still modified";
        close(dialog);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dword(nullptr, L"Update Time"), 9000u) << "the registry stays written";
}

TEST_F(ServiceDialogTest, ReadOnlyDialogShowsSlideshowDisabledUnlessTheServiceRuns) {
    installService();
    service.setStartType(SERVICE_DEMAND_START);
    CViewDlg stopped;
    runDialog(stopped, [&] {
        EXPECT_TRUE(shown(stopped.item(IDC_DISABLE)));
        EXPECT_EQ(windowText(stopped.item(IDC_DISABLE)), L"Slideshow disabled");
        close(stopped);
    });
    service.requestStart();
    ASSERT_TRUE(service.awaitState(SERVICE_RUNNING));
    CViewDlg running;
    runDialog(running, [&] {
        EXPECT_FALSE(shown(running.item(IDC_DISABLE)));
        close(running);
    });
}

} // namespace
} // namespace Korva::QELD::Test
