#include "service/window_thread.h"
#include "tests/support/eventually.h"
#include "tests/support/process_window.h"

#include <dbt.h>
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <thread>

using namespace Korva::QELD;

namespace {

// Runs the window thread on a settings object of its own and captures what
// the window procedure prints.
class WindowThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldOut_ = std::cout.rdbuf(out_.rdbuf());
        oldWide_ = std::wcout.rdbuf(wide_.rdbuf());
        thread_ = std::thread(std::ref(window_));
        // The window is found while it is still being created; once its
        // thread answers a message, creation (with the registration for
        // device notifications) is over.
        ASSERT_TRUE(Korva::QELD::Test::eventually("the window thread's window, created", [&] {
            hwnd_ = Korva::QELD::Test::findProcessWindow(::GetCurrentProcessId(), L"WindowThread");
            return hwnd_ != nullptr &&
                   ::SendMessageTimeoutW(hwnd_, WM_NULL, 0, 0, SMTO_BLOCK, 100, nullptr) != 0;
        }));
    }
    void TearDown() override {
        ::SetEvent(quit_.get());
        thread_.join();
        std::cout.rdbuf(oldOut_);
        std::wcout.rdbuf(oldWide_);
    }
    ConfigurationFlags takeFlags() { return settings_.lock().takeFlags(); }

    ConfigurationData settings_{L"SOFTWARE\\QELDTest\\none"};
    Korva::Win32::unique_event quit_ = Korva::Win32::createEvent();
    WindowThread window_{settings_, quit_.get()};
    std::thread thread_;
    HWND hwnd_ = nullptr;
    std::ostringstream out_;
    std::wostringstream wide_;
    std::streambuf* oldOut_ = nullptr;
    std::wstreambuf* oldWide_ = nullptr;
};

} // namespace

TEST_F(WindowThreadTest, DeviceBroadcastsRaiseDeviceChangeAndPrint) {
    EXPECT_TRUE(window_.deviceNotification()) << "the window registers for HID interfaces";
    struct {
        DEV_BROADCAST_DEVICEINTERFACE_W header;
        wchar_t rest[64];
    } record{};
    record.header.dbcc_size = sizeof record;
    record.header.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    wcscpy(record.header.dbcc_name, L"\\\\?\\hid#vid_2b7c&pid_0c16#1");
    ::SendMessageW(hwnd_, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&record));
    EXPECT_EQ(takeFlags(), ConfigurationFlag_DeviceChange);
    EXPECT_EQ(wide_.str(), L"dbg: WindowThread: WM_DEVICECHANGE/DBT_DEVICEARRIVAL -- "
                           L"\\\\?\\hid#vid_2b7c&pid_0c16#1\n");

    ::SendMessageW(hwnd_, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
                   reinterpret_cast<LPARAM>(&record));
    EXPECT_EQ(takeFlags(), ConfigurationFlag_DeviceChange);
    ::SendMessageW(hwnd_, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    EXPECT_EQ(takeFlags(), 0u);
    EXPECT_EQ(out_.str(), "dbg: WindowThread: WM_DEVICECHANGE/DBT_DEVICEREMOVECOMPLETE\n");
}

TEST_F(WindowThreadTest, OnlyResumeOfThePowerBroadcastsRaisesAFlag) {
    ::SendMessageW(hwnd_, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_EQ(takeFlags(), 0u);
    ::SendMessageW(hwnd_, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_EQ(takeFlags(), ConfigurationFlag_Resume);
    EXPECT_EQ(out_.str(), "dbg: WindowThread: WM_POWERBROADCAST/???\n"
                          "dbg: WindowThread: WM_POWERBROADCAST/PBT_APMRESUMEAUTOMATIC\n");
}

TEST_F(WindowThreadTest, QuitEventDestroysTheWindowAndDropsTheRegistration) {
    ::SetEvent(quit_.get());
    thread_.join();
    thread_ = std::thread([] {});
    EXPECT_FALSE(::IsWindow(hwnd_));
    EXPECT_FALSE(window_.deviceNotification());
    EXPECT_EQ(out_.str(), "");
}

// Campaigns change with the local date, which a change of the clock or the
// time zone moves.
TEST_F(WindowThreadTest, TimeChangeRaisesItsFlag) {
    ::SendMessageW(hwnd_, WM_TIMECHANGE, 0, 0);
    EXPECT_EQ(takeFlags(), ConfigurationFlag_TimeChange);
    EXPECT_EQ(out_.str(), "dbg: WindowThread: WM_TIMECHANGE\n");
}
