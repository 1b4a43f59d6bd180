#include "slideshow/system_calendar.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace Korva::QELD {
namespace {

using namespace std::chrono;

// The end of the day comes from the time zone's rules in units of 100 ns; a
// slip of unit or sign would make the campaign watchers spin or never wake
// at midnight. A day is 23 to 25 hours long where the clocks change.
TEST(SystemCalendar, TodayIsTheLocalDateAndTheDayEndsAtTheNextLocalMidnight) {
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    const milliseconds sinceMidnight =
        hours(local.wHour) + minutes(local.wMinute) + seconds(local.wSecond);
    const milliseconds left = systemCalendar().untilTomorrow();
    const LocalDate today = systemCalendar().today();
    if (today != sys_days(year_month_day{year(local.wYear), month(local.wMonth), day(local.wDay)}))
        GTEST_SKIP() << "midnight passed during the test";
    EXPECT_GT(left, milliseconds(0));
    EXPECT_GE(sinceMidnight + left, hours(23));
    EXPECT_LE(sinceMidnight + left, hours(25) + seconds(2));
}

} // namespace
} // namespace Korva::QELD
