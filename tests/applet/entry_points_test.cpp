#include "applet/core/resource.h"
#include "common/unique_handle.h"
#include "tests/support/eventually.h"
#include "tests/support/process_window.h"
#include "tests/support/wine_paths.h"

#include <cpl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <utility>

namespace {

using Korva::QELD::Test::eventually;
using Korva::QELD::Test::findProcessWindow;
using Korva::QELD::Test::windowsPath;
using Korva::Win32::unique_module;

using CplProc = LONG(APIENTRY*)(HWND, UINT, LPARAM, LPARAM);
using ConfigureProc = INT(WINAPI*)(BOOL);

// The library as the control panel and the launcher load it.
class EntryPointsTest : public ::testing::Test {
protected:
    void SetUp() override {
        library.reset(::LoadLibraryW(windowsPath(QELD_APPLET_LIBRARY).c_str()));
        ASSERT_TRUE(library);
        cpl = exported<CplProc>("CPlApplet");
        configure = exported<ConfigureProc>("ConfigureQELD");
        ASSERT_NE(cpl, nullptr);
        ASSERT_NE(configure, nullptr);
    }

    template <class Proc> Proc exported(const char* name) {
        // FARPROC has no parameters; passing through void* states the real type.
        return reinterpret_cast<Proc>(
            reinterpret_cast<void*>(::GetProcAddress(library.get(), name)));
    }

    unique_module library;
    CplProc cpl = nullptr;
    ConfigureProc configure = nullptr;
};

TEST_F(EntryPointsTest, ControlPanelMessages) {
    EXPECT_EQ(cpl(nullptr, CPL_INIT, 0, 0), 1);
    EXPECT_EQ(cpl(nullptr, CPL_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(cpl(nullptr, CPL_SELECT, 0, 0), 0);
    EXPECT_EQ(cpl(nullptr, CPL_STOP, 0, 0), 0);
    EXPECT_EQ(cpl(nullptr, CPL_EXIT, 0, 0), 0);
    EXPECT_EQ(cpl(nullptr, 1234, 0, 0), 0);
}

TEST_F(EntryPointsTest, InquireFillsOnlyTheOneApplet) {
    CPLINFO info;
    std::memset(&info, 0x5A, sizeof(info));
    EXPECT_EQ(cpl(nullptr, CPL_INQUIRE, 1, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(cpl(nullptr, CPL_INQUIRE, -1, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(info.idIcon, 0x5A5A5A5A) << "a wrong index leaves the record untouched";
    EXPECT_EQ(cpl(nullptr, CPL_INQUIRE, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(info.idIcon, 128);
    EXPECT_EQ(info.idName, 231);
    EXPECT_EQ(info.idInfo, 210);
    EXPECT_EQ(info.lData, 0);
}

TEST_F(EntryPointsTest, NewInquireFillsTheWideRecord) {
    NEWCPLINFOW info;
    std::memset(&info, 0x5A, sizeof(info));
    EXPECT_EQ(cpl(nullptr, CPL_NEWINQUIRE, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(info.dwSize, sizeof(info));
    EXPECT_EQ(info.dwFlags, 0u);
    EXPECT_EQ(info.dwHelpContext, 0u);
    EXPECT_EQ(info.lData, 0);
    EXPECT_NE(info.hIcon, nullptr);
    EXPECT_STREQ(info.szName, L"QEL Display");
    EXPECT_STREQ(info.szInfo, L"QEL Display configuration");
    EXPECT_STREQ(info.szHelpFile, L"");
}

// Runs an entry point while another thread closes its dialog with Close as
// soon as it appears. Returns the entry point's result and whether the dialog
// was the editable one, which has an Apply button.
template <class Open> std::pair<LONG, bool> openAndClose(Open open) {
    std::atomic<bool> closed{false};
    std::atomic<bool> editable{false};
    testing::AssertionResult shown = testing::AssertionSuccess();
    std::thread closer([&] {
        shown = eventually("the dialog to appear", [&] {
            const HWND dialog =
                findProcessWindow(::GetCurrentProcessId(), L"#32770", L"Zelqa QEL Display");
            if (!closed && dialog != nullptr && ::IsWindowVisible(dialog)) {
                editable = ::GetDlgItem(dialog, IDC_APPLY) != nullptr;
                ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                closed = true;
            }
            return closed.load();
        });
    });
    const LONG result = open();
    closed = true;
    closer.join();
    EXPECT_TRUE(shown);
    return {result, editable};
}

TEST_F(EntryPointsTest, ReadOnlyDialogClosesWithTwo) {
    EXPECT_EQ(openAndClose([&] { return configure(FALSE); }), std::make_pair(2L, false));
}

// Wine runs every process elevated, so the control panel's open operation
// shows the editable dialog here instead of starting the launcher.
TEST_F(EntryPointsTest, OpeningShowsTheEditableDialogToAnElevatedProcess) {
    EXPECT_EQ(openAndClose([&] { return cpl(nullptr, CPL_DBLCLK, 0, 0); }),
              std::make_pair(0L, true));
    wchar_t wide[] = L"QEL";
    EXPECT_EQ(openAndClose([&] {
                  return cpl(nullptr, CPL_STARTWPARMSW, 0, reinterpret_cast<LPARAM>(wide));
              }),
              std::make_pair(1L, true));
    char ansi[] = "QEL";
    EXPECT_EQ(openAndClose([&] {
                  return cpl(nullptr, CPL_STARTWPARMSA, 0, reinterpret_cast<LPARAM>(ansi));
              }),
              std::make_pair(1L, true));
    EXPECT_EQ(openAndClose([&] { return static_cast<LONG>(configure(TRUE)); }),
              std::make_pair(2L, true));
}

} // namespace
