#include "service/main_thread.h"
#include "common/unique_handle.h"

#include <gtest/gtest.h>

#include <future>
#include <string>

using namespace Korva::QELD;

namespace {

class RecordingSink : public EventSink {
public:
    void deliver(const EventReport& report) noexcept override { reports.push_back(report); }
    std::vector<EventReport> reports;
};

} // namespace

// A quit raised before the loop first waits (a stop right after start, or
// "q" typed at once) must end it: the loop takes the settings lock twice
// before that wait, and neither may swallow the flag.
TEST(MainLoop, QuitRaisedBeforeTheFirstWaitEndsTheLoop) {
    const std::wstring key =
        L"SOFTWARE\\QELDTest\\MainLoop-" + std::to_wstring(::GetCurrentProcessId());
    Korva::Win32::unique_hkey created;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, created.put(), nullptr),
              ERROR_SUCCESS);
    bool ended = false;
    {
        ConfigurationData settings(key);
        ASSERT_TRUE(settings.init());
        settings.signalQuit();
        RecordingSink sink;
        EventLog eventLog({}, &sink);
        auto loop = std::async(std::launch::async,
                               [&] { return mainLoop(settings, eventLog, RunMode::Console); });
        ended = loop.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        if (!ended)
            settings.signalQuit();
        EXPECT_TRUE(loop.get());
        EXPECT_TRUE(sink.reports.empty());
    }
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
    EXPECT_TRUE(ended);
}
