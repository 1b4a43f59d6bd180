#include "applet/service_control.h"
#include "tests/applet/service_fixture.h"
#include "tests/support/parameters_key.h"

namespace Korva::QELD::Test {
namespace {

bool start() {
    return ChangeServiceState(toRunning);
}

bool stop() {
    return ChangeServiceState(toStopped);
}

using ServiceControlTest = ServiceTest;

TEST_F(ServiceControlTest, QueryFollowsTheInstalledService) {
    EXPECT_EQ(QueryServiceState(), std::nullopt) << "not installed";
    installService();
    EXPECT_EQ(QueryServiceState(), SERVICE_STOPPED);
    service.requestStart();
    ASSERT_TRUE(service.awaitState(SERVICE_RUNNING));
    EXPECT_EQ(QueryServiceState(), SERVICE_RUNNING);
    service.requestStop();
    ASSERT_TRUE(service.awaitState(SERVICE_STOPPED));
    EXPECT_EQ(QueryServiceState(), SERVICE_STOPPED);
    removeService();
    EXPECT_EQ(QueryServiceState(), std::nullopt) << "removed";
}

TEST_F(ServiceControlTest, ChangeStartsAndStopsTheService) {
    installService();
    ASSERT_TRUE(start());
    EXPECT_EQ(service.state(), SERVICE_RUNNING);
    // A service in the target state gets no request: a second start would
    // fail, and the process stays the same.
    const DWORD process = service.processId();
    EXPECT_TRUE(start());
    EXPECT_EQ(service.processId(), process);
    ASSERT_TRUE(stop());
    EXPECT_EQ(service.state(), SERVICE_STOPPED);
    EXPECT_TRUE(stop()) << "a second stop would fail if it were sent";
    EXPECT_EQ(service.state(), SERVICE_STOPPED);
}

TEST_F(ServiceControlTest, ServiceThatIsNotInstalledCannotBeChanged) {
    EXPECT_FALSE(start());
    EXPECT_FALSE(stop());
}

TEST_F(ServiceControlTest, ServiceThatStopsAtOnceIsNotReportedAsStarted) {
    installService();
    // Without its Parameters key the service ends as soon as it starts; the
    // applet waits its full time for the running state, then gives up.
    deleteParametersKey();
    EXPECT_FALSE(start());
    EXPECT_EQ(service.state(), SERVICE_STOPPED);
}

} // namespace
} // namespace Korva::QELD::Test
