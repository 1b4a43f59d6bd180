#include "picture_files.h"
#include "common/unique_handle.h"
#include "service/main_thread.h"
#include "slideshow/picture/render_image.h"
#include "tablet/discovery.h"
#include "tests/support/eventually.h"
#include "tests/support/virtual_tablets.h"
#include "tools/vtablet/model/pixel_decode.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <atomic>
#include <filesystem>
#include <future>
#include <mutex>

using namespace Korva::QELD;
using namespace std::chrono;

namespace {

// The date is the test's, never the machine's.
class TestCalendar final : public LocalCalendar {
public:
    explicit TestCalendar(LocalDate date) : date_(date) {}
    void set(LocalDate date) { date_ = date; }
    LocalDate today() override { return date_; }
    milliseconds untilTomorrow() override { return hours(1); }

private:
    std::atomic<LocalDate> date_;
};

class RecordingSink : public EventSink {
public:
    void deliver(const EventReport& report) noexcept override {
        const std::lock_guard lock(mutex_);
        reports_.push_back(report);
    }
    std::size_t count(std::uint32_t id) {
        const std::lock_guard lock(mutex_);
        return std::count_if(reports_.begin(), reports_.end(),
                             [id](const EventReport& report) { return report.id == id; });
    }

private:
    std::mutex mutex_;
    std::vector<EventReport> reports_;
};

const ScreenFormat rgb565{0x02, 320, 200};

// What the tablet's screen shows when it shows this picture.
std::vector<std::uint8_t> expected(const std::filesystem::path& path) {
    const auto bytes = renderImage(path.u16string(), imageParametersOf(rgb565, {}));
    std::vector<std::uint8_t> rgb(std::size_t{rgb565.width} * rgb565.height * 3);
    Korva::VTablet::decodeImage(rgb565.encodingMode, bytes.data(), rgb565.width, rgb565.height,
                                rgb.data());
    return rgb;
}

LocalDate date(int y, unsigned m, unsigned d) {
    return sys_days(year_month_day{year(y), month(m), day(d)});
}

// The main loop in this process with a virtual tablet, a settings key and a
// pictures folder of the test's own, and the test's calendar.
class Campaigns : public ::testing::Test {
protected:
    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder_ = std::filesystem::path(temp) /
                  (L"qeld-campaigns-" + std::to_wstring(::GetCurrentProcessId()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, settingsKey_.put(), nullptr),
                  ERROR_SUCCESS);
        const std::wstring setting = folder_.wstring() + L"\\";
        ::RegSetValueExW(settingsKey_.get(), L"Folder", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(setting.c_str()),
                         static_cast<DWORD>((setting.size() + 1) * sizeof(wchar_t)));
        // Long enough that only the changes under test move the pictures.
        const DWORD interval = 60000;
        ::RegSetValueExW(settingsKey_.get(), L"Update Time", 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(&interval), sizeof interval);
    }
    void TearDown() override {
        settingsKey_.reset();
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key_.c_str());
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        ::CoUninitialize();
    }

    std::filesystem::path picture(const std::wstring& subfolder, std::uint32_t rgb) {
        std::filesystem::create_directories(folder_ / subfolder);
        const auto path = folder_ / subfolder / L"p.bmp";
        writeBitmap(path.wstring(), 80, 60, rgb);
        return path;
    }

    int plug() {
        const int slot = tablets_.plug("QEL40");
        EXPECT_TRUE(Korva::QELD::Test::eventually(
            "the system to list the tablet", [] { return !Korva::QEL::listTablets().empty(); }));
        return slot;
    }

    testing::AssertionResult shows(int slot, const std::vector<std::uint8_t>& wanted) {
        return Korva::QELD::Test::eventually("the wanted picture on tablet " + std::to_string(slot),
                                             [&] { return tablets_.screen(slot) == wanted; });
    }

    const std::wstring key_ =
        L"SOFTWARE\\QELDTest\\Campaigns-" + std::to_wstring(::GetCurrentProcessId());
    Korva::Win32::unique_hkey settingsKey_;
    std::filesystem::path folder_;
    Korva::QELD::Test::VirtualTablets tablets_;
    RecordingSink sink_;
};

} // namespace

// Before, during and after a campaign, with a second campaign made while
// the slideshow runs: the date moves only when the test says so, and the
// time-change flag makes the lists look at it.
TEST_F(Campaigns, TabletsShowTheCampaignsOfTheDay) {
    const auto own = expected(picture(L"", 0xE02020));
    const auto christmas = expected(picture(L"2026-12-01 to 2026-12-26 Christmas", 0x2020E0));
    picture(L"2026-11-31 to 2026-12-26 typo", 0x20E020);
    const int slot = plug();

    ConfigurationData settings(key_);
    ASSERT_TRUE(settings.init());
    EventLog eventLog({}, &sink_);
    TestCalendar calendar(date(2026, 11, 30));
    auto loop = std::async(std::launch::async, [&] {
        return mainLoop(settings, eventLog, RunMode::Console, calendar);
    });
    const auto on = [&](LocalDate day) {
        calendar.set(day);
        settings.signalTimeChange();
    };

    EXPECT_TRUE(shows(slot, own)) << "before";
    on(date(2026, 12, 1));
    EXPECT_TRUE(shows(slot, christmas)) << "first day";
    const auto sale = expected(picture(L"2026-12-26 to 2026-12-31 Sale", 0x20E0E0));
    on(date(2026, 12, 27));
    EXPECT_TRUE(shows(slot, sale)) << "a campaign made while running";
    on(date(2027, 1, 1));
    EXPECT_TRUE(shows(slot, own)) << "after";

    settings.signalQuit();
    EXPECT_TRUE(loop.get());
    EXPECT_EQ(sink_.count(Event_CampaignNameInvalid), 1u);
}
