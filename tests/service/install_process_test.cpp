#include "service_program.h"

#include "common/unique_handle.h"
#include "service/recovery_actions.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Korva::Win32;

namespace {

const wchar_t* const parameters = L"SYSTEM\\CurrentControlSet\\services\\QELDSVC\\Parameters";

class Installation : public ::testing::Test {
protected:
    void SetUp() override { removeService(); }
    void TearDown() override { removeService(); }

    static void removeService() {
        runProcess(serviceProgram() + L" /uninstall");
        deleteParametersKey();
    }

    static std::wstring text(const wchar_t* name) {
        wchar_t buffer[MAX_PATH] = {};
        DWORD size = sizeof buffer;
        if (::RegGetValueW(HKEY_LOCAL_MACHINE, parameters, name, RRF_RT_REG_SZ, nullptr, buffer,
                           &size) != ERROR_SUCCESS)
            return L"<absent>";
        return buffer;
    }

    static unique_service installedService() {
        const unique_service manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
        return unique_service(::OpenServiceW(manager.get(), L"QELDSVC", SERVICE_QUERY_CONFIG));
    }

    static DWORD dword(const wchar_t* name) {
        DWORD value = 0, size = sizeof value;
        ::RegGetValueW(HKEY_LOCAL_MACHINE, parameters, name, RRF_RT_REG_DWORD, nullptr, &value,
                       &size);
        return value;
    }
};

} // namespace

TEST_F(Installation, RegistersTheServiceAndSeedsItsSettings) {
    const auto result = runProcess(serviceProgram() + L" /install");
    EXPECT_EQ(result.output, "Service created!\n");
    EXPECT_EQ(result.exitCode, 0u);

    const unique_service service = installedService();
    ASSERT_TRUE(service);
    std::vector<BYTE> buffer(8192);
    DWORD needed = 0;
    ASSERT_TRUE(::QueryServiceConfigW(service.get(),
                                      reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()),
                                      static_cast<DWORD>(buffer.size()), &needed));
    const auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    EXPECT_EQ(config->dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_STREQ(config->lpDisplayName, L"Zelqa QEL Display");
    EXPECT_STREQ(config->lpServiceStartName, L"NT AUTHORITY\\LocalService");
    const std::wstring command = config->lpBinaryPathName;
    EXPECT_EQ(command.front(), L'"') << "a path with spaces must start as one word";
    EXPECT_EQ(command.substr(command.size() - 10), L"\" /service");

    const std::wstring folder = text(L"Folder");
    const std::wstring subfolder = L"\\Zelqa QEL Display pictures\\";
    ASSERT_GT(folder.size(), subfolder.size() + 3);
    EXPECT_EQ(folder.substr(folder.size() - subfolder.size()), subfolder);
    EXPECT_EQ(dword(L"Update Time"), 3000u);
}

TEST_F(Installation, SecondInstallFailsAndLeavesSettingsAlone) {
    ASSERT_EQ(runProcess(serviceProgram() + L" /install").exitCode, 0u);
    const DWORD interval = 7000;
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, parameters, L"Update Time", REG_DWORD, &interval,
                      sizeof interval);
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, parameters, L"Folder", REG_SZ, L"C:\\mine",
                      sizeof L"C:\\mine");
    const auto again = runProcess(serviceProgram() + L" /install");
    // The failure names its code and the call that failed.
    EXPECT_EQ(again.output.rfind("Failed: win32api:1073 (CreateService: ", 0), 0u) << again.output;
    EXPECT_EQ(again.exitCode, 1359u);
    EXPECT_EQ(dword(L"Update Time"), 7000u);
    EXPECT_EQ(text(L"Folder"), L"C:\\mine");
}

TEST_F(Installation, ExistingSettingsSurviveAFreshInstall) {
    const DWORD interval = 9000;
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, parameters, L"Update Time", REG_DWORD, &interval,
                      sizeof interval);
    ASSERT_EQ(runProcess(serviceProgram() + L" /install").exitCode, 0u);
    EXPECT_EQ(dword(L"Update Time"), 9000u);
    EXPECT_NE(text(L"Folder"), L"<absent>");
}

TEST_F(Installation, UninstallDeletesAndReportsAMissingService) {
    ASSERT_EQ(runProcess(serviceProgram() + L" /install").exitCode, 0u);
    const auto removed = runProcess(serviceProgram() + L" /uninstall /service");
    EXPECT_EQ(removed.output, "Service deleted!\n");
    EXPECT_EQ(removed.exitCode, 0u);
    const auto missing = runProcess(serviceProgram() + L" /uninstall");
    EXPECT_EQ(missing.output.rfind("Failed: win32api:1060 (OpenService: ", 0), 0u)
        << missing.output;
    EXPECT_EQ(missing.exitCode, 1359u);
}

// Restart after a minute, twice, then stay stopped; forget failures after a
// day; act on non-zero exit codes too. Wine takes the actions but refuses
// the exit-code flag and cannot read either back (QueryServiceConfig2W
// fails with ERROR_INVALID_LEVEL): here the calls are checked through the
// replaceable step, and the read-back is for Windows.
TEST_F(Installation, RecoveryActionsRestartTwiceThenStopAndApplyToExitCodes) {
    ASSERT_EQ(runProcess(serviceProgram() + L" /install").exitCode, 0u);
    const auto recovery = runProcess(serviceProgram() + L" /recovery");
    EXPECT_EQ(recovery.output, "Recovery actions set!\n");
    EXPECT_EQ(recovery.exitCode, 0u);

    const unique_service service = installedService();
    ASSERT_TRUE(service);
    std::vector<BYTE> buffer(8192);
    DWORD needed = 0;
    const bool readBack =
        ::QueryServiceConfig2W(service.get(), SERVICE_CONFIG_FAILURE_ACTIONS, buffer.data(),
                               static_cast<DWORD>(buffer.size()), &needed);
    if (!readBack) {
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL)) << "Wine";
    }

    std::vector<SC_ACTION> actions;
    DWORD reset = 0;
    BOOL onExitCodes = FALSE;
    Korva::QELD::setRecoveryActions(service.get(), [&](SC_HANDLE, DWORD level, void* info) {
        if (level == SERVICE_CONFIG_FAILURE_ACTIONS) {
            const auto* failure = static_cast<SERVICE_FAILURE_ACTIONSW*>(info);
            actions.assign(failure->lpsaActions, failure->lpsaActions + failure->cActions);
            reset = failure->dwResetPeriod;
        } else if (level == SERVICE_CONFIG_FAILURE_ACTIONS_FLAG) {
            onExitCodes =
                static_cast<SERVICE_FAILURE_ACTIONS_FLAG*>(info)->fFailureActionsOnNonCrashFailures;
        }
        return TRUE;
    });
    if (readBack) {
        const auto* kept = reinterpret_cast<SERVICE_FAILURE_ACTIONSW*>(buffer.data());
        EXPECT_EQ(kept->dwResetPeriod, reset);
        ASSERT_EQ(kept->cActions, 3u);
        EXPECT_EQ(kept->lpsaActions[1].Type, SC_ACTION_RESTART);
        EXPECT_EQ(kept->lpsaActions[2].Type, SC_ACTION_NONE);
    }
    ASSERT_EQ(actions.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(actions[i].Type, SC_ACTION_RESTART);
        EXPECT_EQ(actions[i].Delay, 60000u);
    }
    EXPECT_EQ(actions[2].Type, SC_ACTION_NONE);
    EXPECT_EQ(reset, 86400u);
    EXPECT_TRUE(onExitCodes);
}
