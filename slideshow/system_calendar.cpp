#include "slideshow/system_calendar.h"

#include <windows.h>

#include <algorithm>

namespace Korva::QELD {
namespace {

using namespace std::chrono;

LocalDate dateOf(const SYSTEMTIME& time) {
    return sys_days(year_month_day{year(time.wYear), month(time.wMonth), day(time.wDay)});
}

std::int64_t ticks(const FILETIME& time) {
    return static_cast<std::int64_t>(std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime);
}

class SystemCalendar final : public LocalCalendar {
public:
    LocalDate today() override {
        SYSTEMTIME local{};
        ::GetLocalTime(&local);
        return dateOf(local);
    }

    // The next local midnight is turned into system time through the time
    // zone's rules, so that a day made longer or shorter by daylight saving
    // still ends on time. The result is held to a day, which also bounds it
    // where the zone has no such midnight.
    milliseconds untilTomorrow() override {
        SYSTEMTIME local{};
        ::GetLocalTime(&local);
        const year_month_day next(dateOf(local) + days(1));
        SYSTEMTIME midnight{};
        midnight.wYear = static_cast<WORD>(static_cast<int>(next.year()));
        midnight.wMonth = static_cast<WORD>(static_cast<unsigned>(next.month()));
        midnight.wDay = static_cast<WORD>(static_cast<unsigned>(next.day()));
        SYSTEMTIME universal{};
        FILETIME end{};
        FILETIME now{};
        ::GetSystemTimeAsFileTime(&now);
        if (!::TzSpecificLocalTimeToSystemTime(nullptr, &midnight, &universal) ||
            !::SystemTimeToFileTime(&universal, &end))
            return hours(1);
        const milliseconds left((ticks(end) - ticks(now)) / 10000 + 1);
        return std::clamp<milliseconds>(left, milliseconds(0), hours(25));
    }
};

} // namespace

LocalCalendar& systemCalendar() noexcept {
    static SystemCalendar calendar;
    return calendar;
}

} // namespace Korva::QELD
