#include "slideshow_fixture.h"

#include "common/unique_handle.h"
#include "tests/support/test_share.h"

#include <tlhelp32.h>

#include <optional>
#include <string>
#include <vector>

using namespace SlideshowTest;
using Korva::Win32::unique_kernel_handle;
using Korva::Win32::unique_service;

namespace {

// The installed program started and stopped by the system's service control
// manager. The service is removed before and after every test, and whatever
// the test does in between: an automatic service left installed would start
// with every new wineserver and take the virtual tablets.
class ServiceMode : public Slideshow {
protected:
    void SetUp() override {
        Slideshow::SetUp();
        removeService();
    }
    void TearDown() override {
        removeService();
        Slideshow::TearDown();
    }

    static unique_service open(DWORD access) {
        const unique_service manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
        return unique_service(::OpenServiceW(manager.get(), L"QELDSVC", access));
    }

    // Installed, but started only on request until it is removed, in case
    // this process dies before it can remove it.
    static void install() {
        const auto result = runProcess(serviceProgram() + L" /install");
        ASSERT_EQ(result.exitCode, 0u) << result.output;
        const auto service = open(SERVICE_CHANGE_CONFIG);
        ASSERT_TRUE(::ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, SERVICE_DEMAND_START,
                                           SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr,
                                           nullptr, nullptr, nullptr));
    }

    static std::optional<SERVICE_STATUS_PROCESS> status() {
        const auto service = open(SERVICE_QUERY_STATUS);
        SERVICE_STATUS_PROCESS now{};
        DWORD needed = 0;
        if (!service || !::QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO,
                                                reinterpret_cast<BYTE*>(&now), sizeof now, &needed))
            return std::nullopt;
        return now;
    }

    // Waits for the state; returns the status reported last. A query that
    // fails for a moment while the service starts is asked again.
    static SERVICE_STATUS_PROCESS awaitState(DWORD state) {
        std::optional<SERVICE_STATUS_PROCESS> now;
        EXPECT_TRUE(Korva::QELD::Test::eventually(
            "the service to report state " + std::to_string(state), [&] {
                now = status();
                return now && now->dwCurrentState == state;
            }));
        return now.value_or(SERVICE_STATUS_PROCESS{});
    }

    // Wine reports STOPPED before the process has ended, and the service
    // cannot be deleted and installed again until it has.
    static DWORD stop(const unique_kernel_handle& process) {
        SERVICE_STATUS stopping{};
        EXPECT_TRUE(::ControlService(open(SERVICE_STOP).get(), SERVICE_CONTROL_STOP, &stopping))
            << ::GetLastError();
        const DWORD state = awaitState(SERVICE_STOPPED).dwCurrentState;
        EXPECT_EQ(::WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
        return state;
    }

    // A service that stopped by itself may have reported STOPPED without a
    // process id while its process still runs; it is found by its name.
    static bool serviceProcessRuns() {
        const unique_kernel_handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
             more = ::Process32NextW(snapshot.get(), &entry)) {
            if (::lstrcmpiW(entry.szExeFile, L"qeldsvc.exe") == 0)
                return true;
        }
        return false;
    }

    // The names of the privileges left in the process's token.
    static std::vector<std::wstring> privileges(HANDLE process) {
        unique_kernel_handle token;
        if (!::OpenProcessToken(process, TOKEN_QUERY, token.put()))
            return {L"<no token>"};
        DWORD size = 0;
        ::GetTokenInformation(token.get(), TokenPrivileges, nullptr, 0, &size);
        std::vector<BYTE> buffer(size);
        if (!::GetTokenInformation(token.get(), TokenPrivileges, buffer.data(), size, &size))
            return {L"<no privileges>"};
        std::vector<std::wstring> names;
        const auto* list = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
        for (DWORD i = 0; i < list->PrivilegeCount; ++i) {
            LUID luid = list->Privileges[i].Luid;
            wchar_t name[64] = {};
            DWORD length = 64;
            ::LookupPrivilegeNameW(nullptr, &luid, name, &length);
            names.emplace_back(name);
        }
        return names;
    }

    static void removeService() {
        const auto now = status();
        if (!now)
            return;
        if (now->dwCurrentState != SERVICE_STOPPED) {
            const unique_kernel_handle process(::OpenProcess(SYNCHRONIZE, FALSE, now->dwProcessId));
            // A service still starting takes no stop request.
            EXPECT_TRUE(Korva::QELD::Test::eventually("the service to finish starting", [] {
                const auto now = status();
                return !now || now->dwCurrentState != SERVICE_START_PENDING;
            }));
            stop(process);
        }
        EXPECT_TRUE(Korva::QELD::Test::eventually("the service's process to end",
                                                  [] { return !serviceProcessRuns(); }));
        runProcess(serviceProgram() + L" /uninstall");
    }
};

} // namespace

TEST_F(ServiceMode, ShowsTheSlideshowFromStartToStop) {
    writeBitmap(picture(L"a.bmp"), 120, 90, 0xFF2020);
    writeBitmap(picture(L"b.bmp"), 60, 160, 0x20FF20);
    const Tablet qel40 = plug("QEL40", rgb565);
    const Tablet qel50 = plug("QEL50 --bulk", bgrBulk);
    install();

    ASSERT_TRUE(::StartServiceW(open(SERVICE_START).get(), 0, nullptr)) << ::GetLastError();
    const SERVICE_STATUS_PROCESS running = awaitState(SERVICE_RUNNING);
    ASSERT_EQ(running.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(running.dwControlsAccepted,
              static_cast<DWORD>(SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_POWEREVENT |
                                 SERVICE_ACCEPT_TIMECHANGE));
    EXPECT_EQ(running.dwCheckPoint, 3u);
    const unique_kernel_handle process(
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, running.dwProcessId));
    ASSERT_TRUE(process);

    // Under Wine the service runs with the installing user's full token (21
    // privileges), so this shows that the service removes them itself; on
    // Windows the declared required privileges leave it few to remove.
    EXPECT_EQ(privileges(process.get()), std::vector<std::wstring>{L"SeChangeNotifyPrivilege"});

    for (const wchar_t* name : {L"a.bmp", L"b.bmp"}) {
        EXPECT_TRUE(shows(qel40, expected(picture(name), qel40))) << "QEL40";
        EXPECT_TRUE(shows(qel50, expected(picture(name), qel50))) << "QEL50";
    }

    // Wine's user32 registers service handles for device events without
    // ever delivering one, so arrivals are tested in console mode only.
    SERVICE_STATUS answer{};
    EXPECT_TRUE(
        ::ControlService(open(SERVICE_INTERROGATE).get(), SERVICE_CONTROL_INTERROGATE, &answer))
        << ::GetLastError();

    const auto query = runProcess(serviceProgram() + L" /status");
    EXPECT_EQ(query.exitCode, 0u);
    EXPECT_NE(query.output.find("mode: service\n"), std::string::npos) << query.output;

    EXPECT_EQ(stop(process), static_cast<DWORD>(SERVICE_STOPPED));
    DWORD exitCode = 0xFFFFFFFF;
    ::GetExitCodeProcess(process.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(blank(qel40));
    EXPECT_TRUE(blank(qel50));

    const auto removed = runProcess(serviceProgram() + L" /uninstall");
    EXPECT_EQ(removed.output, "Service deleted!\n");
    EXPECT_EQ(removed.exitCode, 0u);
}

TEST_F(ServiceMode, StopsAtStartWithoutItsSettings) {
    install();
    deleteParametersKey();
    ASSERT_TRUE(::StartServiceW(open(SERVICE_START).get(), 0, nullptr)) << ::GetLastError();
    const SERVICE_STATUS_PROCESS stopped = awaitState(SERVICE_STOPPED);
    EXPECT_EQ(stopped.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(stopped.dwCheckPoint, 2u) << "never reported running";
}

// A stop ends the service within five seconds while its pictures folder is on
// a server that stopped answering in the middle of a call: the control
// handler never waits for the folder, and the stuck call is left behind.
TEST_F(ServiceMode, StopsPromptlyWhileItsShareIsHeld) {
    Korva::QELD::Test::TestShare share(L"held");
    writeBitmap(share.backing(L"s.bmp"), 60, 40, 0x2020FF);
    setText(nullptr, L"Folder", share.folder());
    const Tablet tablet = plug("QEL40", rgb565);
    install();
    ASSERT_TRUE(::StartServiceW(open(SERVICE_START).get(), 0, nullptr)) << ::GetLastError();
    const SERVICE_STATUS_PROCESS running = awaitState(SERVICE_RUNNING);
    const unique_kernel_handle process(::OpenProcess(SYNCHRONIZE, FALSE, running.dwProcessId));
    ASSERT_TRUE(shows(tablet, expected(share.backing(L"s.bmp"), tablet)));

    share.hold();
    // Settings that build a new list on the held share, whose first call
    // then waits for good.
    setDword(nullptr, L"Clip", 0x22);
    ASSERT_TRUE(Korva::QELD::Test::eventually("a call held by the share",
                                              [&] { return share.holdsACall(); }));
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(stop(process), static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_LT(::GetTickCount() - start, 5000u);
    share.release();
}
