#include "applet/applet_paths.h"
#include "applet/edit_dlg.h"
#include "applet/core/resource.h"
#include "applet/service_control.h"
#include "applet/view_dlg.h"
#include "tests/applet/gui_support.h"
#include "tests/applet/service_fixture.h"
#include "tests/support/wine_paths.h"

#include <thread>

namespace Korva::QELD::Test {
namespace {

using Korva::Win32::unique_event;
using Korva::Win32::unique_service;

const wchar_t* const pendingName = L"QELDTEST_PENDING";

unique_event namedEvent(const wchar_t* name) {
    return unique_event(::CreateEventW(nullptr, TRUE, FALSE, name));
}

// The applet against a service that stays pending until the test lets it
// go on (pending_service.cpp), installed for each test and removed after it.
class PendingServiceTest : public AppletRegistryTest {
protected:
    void SetUp() override {
        AppletRegistryTest::SetUp();
        appletPaths().serviceName = pendingName;
        ASSERT_TRUE(letRun && letStop);
        removeService();
        ::ResetEvent(letRun.get());
        ::ResetEvent(letStop.get());
        const unique_service manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
        const unique_service created(::CreateServiceW(
            manager.get(), pendingName, pendingName, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
            SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, windowsPath(QELD_PENDING_SERVICE).c_str(),
            nullptr, nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(created) << ::GetLastError();
    }

    void TearDown() override {
        removeService();
        AppletRegistryTest::TearDown();
    }

    // Lets the service go on to its end and deletes it; also a service left
    // behind by an aborted run.
    void removeService() {
        ::SetEvent(letRun.get());
        ::SetEvent(letStop.get());
        service.stopAndAwaitExit();
        const unique_service manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
        const unique_service existing(::OpenServiceW(manager.get(), pendingName, DELETE));
        if (existing)
            ::DeleteService(existing.get());
    }

    // Brings the service to the target state with the applet while another
    // thread lets the service go on a little later. The state is read before
    // that thread is joined: true must mean that the service had arrived when
    // the applet returned.
    void changeAndLetGo(DWORD target, HANDLE event) {
        std::thread letGo([event] {
            // The service stays pending this long on purpose: the applet is
            // to wait for it, not find it already arrived.
            ::Sleep(1500);
            ::SetEvent(event);
        });
        EXPECT_TRUE(ChangeServiceState(target == SERVICE_STOPPED ? toStopped : toRunning));
        EXPECT_EQ(service.state(), target);
        letGo.join();
    }

    void startPending() {
        service.requestStart();
        ASSERT_EQ(service.state(), SERVICE_START_PENDING);
    }

    void stopPending() {
        ::SetEvent(letRun.get());
        service.requestStart();
        ASSERT_TRUE(service.awaitState(SERVICE_RUNNING));
        service.requestStop();
        ASSERT_EQ(service.state(), SERVICE_STOP_PENDING);
    }

    unique_event letRun = namedEvent(L"Global\\QELDTEST_LET_RUN");
    unique_event letStop = namedEvent(L"Global\\QELDTEST_LET_STOP");
    ServiceProbe service{pendingName};
};

// Repeating a request that is under way fails (the service is already
// running, or accepts no control while pending): true means it was awaited.
TEST_F(PendingServiceTest, StartUnderWayIsAwaitedNotRepeated) {
    startPending();
    changeAndLetGo(SERVICE_RUNNING, letRun.get());
}

TEST_F(PendingServiceTest, StopUnderWayIsAwaitedNotRepeated) {
    stopPending();
    changeAndLetGo(SERVICE_STOPPED, letStop.get());
}

TEST_F(PendingServiceTest, RequestsAreFollowedUntilTheServiceArrives) {
    changeAndLetGo(SERVICE_RUNNING, letRun.get());
    changeAndLetGo(SERVICE_STOPPED, letStop.get());
}

// A service that is starting, though set to start on demand, is on its way
// to show slides: both dialogs count it as running, so that saving an
// unrelated change does not stop it.
TEST_F(PendingServiceTest, StartingServiceCountsAsRunning) {
    setString(nullptr, L"Folder", L"C:\\Pictures");
    startPending();
    CEditDlg edit;
    runDialog(edit, [&] {
        EXPECT_EQ(::SendMessageW(edit.item(IDC_DISABLE), BM_GETCHECK, 0, 0), BST_UNCHECKED);
        ::SendMessageW(edit.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
    CViewDlg view;
    runDialog(view, [&] {
        EXPECT_FALSE(::IsWindowVisible(view.item(IDC_DISABLE)));
        ::SendMessageW(view.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
}

} // namespace
} // namespace Korva::QELD::Test
