#include "common/unique_handle.h"
#include "applet/elevation.h"
#include "tests/support/eventually.h"
#include "tests/support/process_runner.h"
#include "tests/support/process_window.h"
#include "tests/support/wine_paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Wine reports version 6.1 and an elevated token, so the launcher edits.
TEST(LauncherTest, ElevatedProcessOnANewSystemMayEdit) {
    EXPECT_TRUE(Korva::QELD::IsVistaOrLater());
    EXPECT_TRUE(Korva::QELD::IsElevated());
    EXPECT_TRUE(Korva::QELD::canEdit());
}

// Starts the launcher, closes its dialog with Close and returns its exit
// code, or -100 when the dialog never appeared.
DWORD runLauncherAndClose() {
    const auto process = Korva::QELD::Test::startProcess(
        Korva::QELD::Test::windowsPath(std::string_view(QELD_LAUNCHER)));
    HWND dialog = nullptr;
    EXPECT_TRUE(Korva::QELD::Test::eventually("the launcher's dialog to appear", [&] {
        dialog = Korva::QELD::Test::findProcessWindow(::GetProcessId(process.get()), L"#32770",
                                                      L"Zelqa QEL Display");
        return dialog != nullptr;
    }));
    if (dialog != nullptr)
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    const DWORD code = Korva::QELD::Test::waitForExit(process.get(), 20000);
    return dialog != nullptr ? code : static_cast<DWORD>(-100);
}

TEST(LauncherTest, ClosingTheDialogExitsWithTwo) {
    EXPECT_EQ(runLauncherAndClose(), 2u);
}

} // namespace
