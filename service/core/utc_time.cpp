#include "service/core/utc_time.h"

#include <cstdio>

namespace Korva::QELD {
namespace {

using namespace std::chrono;

std::string formatted(system_clock::time_point time, char separator, const char* zone) {
    const auto day = floor<days>(time);
    const year_month_day date(day);
    const hh_mm_ss clock(floor<milliseconds>(time - day));
    char text[40];
    std::snprintf(
        text, sizeof text, "%04d-%02u-%02u%c%02d:%02d:%02d.%03d%s", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()), separator,
        static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
        static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()),
        zone);
    return text;
}

} // namespace

std::string utcText(system_clock::time_point time) {
    return formatted(time, ' ', " UTC");
}

std::string isoTime(system_clock::time_point time) {
    return formatted(time, 'T', "Z");
}

std::string isoDate(sys_days day) {
    const year_month_day date(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

} // namespace Korva::QELD
