#include "slideshow/core/campaign_calendar.h"
#include "tests/fuzz/fuzz_check.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using namespace Korva::QELD;
using namespace std::chrono;
using Korva::Fuzz::check;

namespace {

// Folder names arrive as UTF-16 code units; a zero unit separates names.
std::vector<std::u16string> namesOf(const std::uint8_t* data, std::size_t size) {
    std::vector<std::u16string> names(1);
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const auto unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit == 0)
            names.emplace_back();
        else
            names.back().push_back(unit);
    }
    return names;
}

std::u16string written(LocalDate date) {
    const year_month_day ymd(date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return std::u16string(text, text + 10);
}

// A valid range is two real days in order, and writing them again with any
// label reads the same range.
void checkName(const std::u16string& name) {
    const CampaignName parsed = parseCampaignName(name);
    check((parsed.kind == CampaignName::Invalid) == (parsed.problem != nullptr),
          "only an invalid name has a problem");
    if (parsed.kind != CampaignName::Valid)
        return;
    check(year_month_day(parsed.first).ok() && parsed.first <= parsed.last,
          "a valid range is two days in order");
    const CampaignName again =
        parseCampaignName(written(parsed.first) + u" to " + written(parsed.last) + u" x");
    check(again.kind == CampaignName::Valid && again.first == parsed.first &&
              again.last == parsed.last,
          "a range written again reads the same");
}

// The current campaigns stay as they are until the day of the next change,
// and differ on that day.
void checkCalendar(const std::vector<std::u16string>& names) {
    CampaignCalendar calendar;
    calendar.takeListing(names);
    const auto current = [&](LocalDate day) {
        std::vector<std::u16string> shown;
        for (const auto& campaign : calendar.currentOn(day))
            shown.push_back(campaign.name);
        return shown;
    };
    const LocalDate start = sys_days(2026y / 1 / 1);
    const auto next = calendar.nextChange(start);
    if (!next)
        return;
    check(*next > start, "the next change comes after the day");
    check(current(*next - days(1)) == current(start), "nothing changes before the next change");
    check(current(*next) != current(start), "the current campaigns change on the next change");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto names = namesOf(data, size);
    for (const auto& name : names)
        checkName(name);
    checkCalendar(names);
    return 0;
}
