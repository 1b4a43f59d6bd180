#pragma once

#include <chrono>
#include <string>

namespace Korva::QELD {

// A time of day in UTC to the millisecond: "2026-12-07 17:54:43.120 UTC" for
// people, or ISO 8601, "2026-12-07T17:54:43.120Z", for programs.
std::string utcText(std::chrono::system_clock::time_point time);
std::string isoTime(std::chrono::system_clock::time_point time);

// A calendar date, without time or zone, in ISO 8601: "2026-12-27".
std::string isoDate(std::chrono::sys_days day);

} // namespace Korva::QELD
