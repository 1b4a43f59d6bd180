#include "common/unique_handle.h"
#include "applet/elevation.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Korva::Win32::unique_kernel_handle;

// Wine reports version 6.1 and an elevated token, so the launcher edits.
TEST(LauncherTest, ElevatedProcessOnANewSystemMayEdit) {
    EXPECT_TRUE(Korva::QELD::IsVistaOrLater());
    EXPECT_TRUE(Korva::QELD::IsElevated());
    EXPECT_TRUE(Korva::QELD::canEdit());
}

// Starts the launcher, closes its dialog with Close and returns its exit
// code, or -100 when the dialog never appeared.
DWORD runLauncherAndClose() {
    std::wstring command = QELD_LAUNCHER;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return static_cast<DWORD>(-100);
    const unique_kernel_handle processHandle(process.hProcess);
    const unique_kernel_handle threadHandle(process.hThread);
    HWND dialog = nullptr;
    for (int i = 0; i < 500 && dialog == nullptr; ++i) {
        ::Sleep(20);
        dialog = ::FindWindowW(L"#32770", L"Zelqa QEL Display");
    }
    if (dialog != nullptr)
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ::WaitForSingleObject(processHandle.get(), 20000);
    DWORD code = 0;
    ::GetExitCodeProcess(processHandle.get(), &code);
    return dialog != nullptr ? code : static_cast<DWORD>(-100);
}

TEST(LauncherTest, ClosingTheDialogExitsWithTwo) {
    EXPECT_EQ(runLauncherAndClose(), 2u);
}

} // namespace
