#include "tests/applet/service_fixture.h"

#include "applet/applet_paths.h"
#include "settings/configuration_data.h"
#include "tests/service/service_program.h"
#include "tests/support/eventually.h"

#include <algorithm>

namespace Korva::QELD::Test {

namespace {

using Korva::Win32::unique_kernel_handle;
using Korva::Win32::unique_service;

// Long enough for a slow, busy machine; the service needs well under a second.
constexpr DWORD generousTimeout = 60000;

} // namespace

void ServiceProbe::requestStart() {
    const auto service = open(SERVICE_START);
    ASSERT_TRUE(::StartServiceW(service.get(), 0, nullptr)) << ::GetLastError();
}

void ServiceProbe::requestStop() {
    const auto service = open(SERVICE_STOP);
    SERVICE_STATUS stopping{};
    ASSERT_TRUE(::ControlService(service.get(), SERVICE_CONTROL_STOP, &stopping))
        << ::GetLastError();
}

testing::AssertionResult ServiceProbe::awaitState(DWORD target) {
    std::optional<DWORD> now;
    const std::string name(name_.begin(), name_.end());
    auto reached =
        eventually("the service " + name + " to report state " + std::to_string(target), [&] {
            now = state();
            return now == target;
        });
    if (!reached)
        reached << "; it reported " << (now ? std::to_string(*now) : "nothing") << " last";
    return reached;
}

std::optional<SERVICE_STATUS_PROCESS> ServiceProbe::status() {
    const auto service = open(SERVICE_QUERY_STATUS);
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!service ||
        !::QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO,
                                reinterpret_cast<BYTE*>(&status), sizeof(status), &needed))
        return std::nullopt;
    track(status.dwProcessId);
    return status;
}

std::optional<DWORD> ServiceProbe::state() {
    const auto now = status();
    return now ? std::optional<DWORD>(now->dwCurrentState) : std::nullopt;
}

DWORD ServiceProbe::processId() {
    const auto now = status();
    return now ? now->dwProcessId : 0;
}

std::optional<DWORD> ServiceProbe::startType() {
    const auto service = open(SERVICE_QUERY_CONFIG);
    DWORD needed = 0;
    ::QueryServiceConfigW(service.get(), nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (needed == 0 || !::QueryServiceConfigW(service.get(), config, needed, &needed))
        return std::nullopt;
    return config->dwStartType;
}

void ServiceProbe::setStartType(DWORD startType) {
    const auto service = open(SERVICE_CHANGE_CONFIG);
    ASSERT_TRUE(::ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, startType,
                                       SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, nullptr, nullptr))
        << ::GetLastError();
}

void ServiceProbe::stopAndAwaitExit() {
    const auto now = state();
    if (now && *now != SERVICE_STOPPED) {
        // A service still starting takes no stop request.
        EXPECT_TRUE(eventually("the service to finish starting",
                               [&] { return state() != SERVICE_START_PENDING; }));
        requestStop();
        EXPECT_TRUE(awaitState(SERVICE_STOPPED));
    }
    for (const auto& process : processes_)
        EXPECT_EQ(::WaitForSingleObject(process.get(), generousTimeout), WAIT_OBJECT_0);
    processes_.clear();
}

unique_service ServiceProbe::open(DWORD access) const {
    const unique_service manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    return unique_service(::OpenServiceW(manager.get(), name_.c_str(), access));
}

void ServiceProbe::track(DWORD processId) {
    // Wine hands out the id of an ended process again, so only a live
    // process counts as already known.
    const auto known = std::any_of(processes_.begin(), processes_.end(), [&](const auto& process) {
        return ::GetProcessId(process.get()) == processId &&
               ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
    });
    if (processId == 0 || known)
        return;
    if (unique_kernel_handle process{
            ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)})
        processes_.push_back(std::move(process));
}

void ServiceTest::SetUp() {
    AppletRegistryTest::SetUp();
    appletPaths().serviceName = L"QELDSVC";
    // A service left behind by an aborted run would change what the test sees.
    removeService();
    deleteParameters();
    // Without its Parameters key the service stops as soon as it starts.
    const DWORD interval = 60000;
    ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, parametersKeyPath, L"Update Time", REG_DWORD,
                                &interval, sizeof interval),
              ERROR_SUCCESS);
}

void ServiceTest::TearDown() {
    removeService();
    deleteParameters();
    AppletRegistryTest::TearDown();
}

void ServiceTest::installService() {
    const auto result = runProcess(serviceProgram() + L" /install");
    ASSERT_EQ(result.exitCode, 0u) << result.output;
}

void ServiceTest::removeService() {
    if (!service.state())
        return;
    service.stopAndAwaitExit();
    const auto result = runProcess(serviceProgram() + L" /uninstall");
    EXPECT_EQ(result.exitCode, 0u) << result.output;
}

void ServiceTest::startService() {
    installService();
    service.requestStart();
    ASSERT_TRUE(service.awaitState(SERVICE_RUNNING));
}

} // namespace Korva::QELD::Test
