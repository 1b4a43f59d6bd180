#pragma once

#include "common/unique_handle.h"
#include "tests/applet/registry_fixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace Korva::QELD::Test {

// One service as a test drives and watches it, beside the applet.
class ServiceProbe {
public:
    explicit ServiceProbe(std::wstring name) : name_(std::move(name)) {}

    // Start or stop requests sent directly, without waiting.
    void requestStart();
    void requestStop();
    // Waits until the service reports the state; a failure names the state
    // it reported last.
    [[nodiscard]] testing::AssertionResult awaitState(DWORD target);
    // The state and process reported now; none when the service cannot be
    // queried. Keeps a handle of every process seen, so that removal can wait
    // for it: Wine reports a stopped service before its process has exited.
    std::optional<SERVICE_STATUS_PROCESS> status();
    std::optional<DWORD> state();
    DWORD processId();
    // The start type (SERVICE_AUTO_START and so on); none when unreadable.
    std::optional<DWORD> startType();
    void setStartType(DWORD startType);
    // Stops the service if it runs and waits until its processes have gone.
    void stopAndAwaitExit();

private:
    Korva::Win32::unique_service open(DWORD access) const;
    void track(DWORD processId);

    std::wstring name_;
    std::vector<Korva::Win32::unique_kernel_handle> processes_;
};

// Points the applet at the real "QELDSVC" service, which a test installs from
// the built service program, and gives the service a Parameters key it can
// run with. The pages' settings stay in the test's own keys. At the end the
// service is stopped, its process awaited and the service removed: an
// automatic service left installed would start with every new wineserver.
class ServiceTest : public AppletRegistryTest {
protected:
    void SetUp() override;
    void TearDown() override;

    void installService();
    // Stops the service, waits until its process has gone and deletes it.
    void removeService();
    void startService();

    ServiceProbe service{L"QELDSVC"};
};

} // namespace Korva::QELD::Test
