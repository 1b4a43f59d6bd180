#pragma once

#include <chrono>
#include <string_view>

namespace Korva::QELD {

// A calendar date in the PC's local time, without a time of day.
using LocalDate = std::chrono::sys_days;

// What the name of a subfolder says about it. A name that starts with two
// dates, "YYYY-MM-DD to YYYY-MM-DD", makes the subfolder a campaign shown
// from the first day to the last, both included; whatever follows the dates
// is a free label. A name that only begins like that (a date, spaces and
// "to") but does not hold a valid range is Invalid, with the problem in
// words; every other name is Other, as it always was.
struct CampaignName {
    enum Kind { Other, Valid, Invalid };

    Kind kind = Other;
    LocalDate first{};
    LocalDate last{};
    const char* problem = nullptr;
};

CampaignName parseCampaignName(std::u16string_view name);

} // namespace Korva::QELD
