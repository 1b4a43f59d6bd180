#include "common/core/utf.h"
#include "slideshow/core/campaign_calendar.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Korva::QELD {
namespace {

using namespace std::chrono;

LocalDate date(int y, unsigned m, unsigned d) {
    return sys_days(year_month_day{year(y), month(m), day(d)});
}

TEST(CampaignNames, ReadsTheRangeAndIgnoresTheLabel) {
    const struct {
        const char16_t* name;
        LocalDate first;
        LocalDate last;
    } valid[] = {
        {u"2026-12-01 to 2026-12-26 Christmas", date(2026, 12, 1), date(2026, 12, 26)},
        {u"2026-04-01 to 2026-04-30", date(2026, 4, 1), date(2026, 4, 30)},
        {u"2026-04-01 TO 2026-04-01-spring", date(2026, 4, 1), date(2026, 4, 1)},
        {u"2027-12-31 to 2028-02-29 leap", date(2027, 12, 31), date(2028, 2, 29)},
        {u"2000-02-29 to 2000-02-29", date(2000, 2, 29), date(2000, 2, 29)},
    };
    for (const auto& item : valid) {
        const CampaignName parsed = parseCampaignName(item.name);
        EXPECT_EQ(parsed.kind, CampaignName::Valid) << utf8FromUtf16(item.name);
        EXPECT_EQ(parsed.first, item.first) << utf8FromUtf16(item.name);
        EXPECT_EQ(parsed.last, item.last) << utf8FromUtf16(item.name);
    }
    // Names that never meant a range stay ordinary subfolders, including
    // folders named after one day, which are common for photos.
    for (const char16_t* name :
         {u"Christmas", u"2026-12-01 party", u"2026-12-01 tomorrow", u"2026-12-01",
          u"2026-12-01to 2026-12-26", u"26-12-01 to 26-12-26", u"x 2026-12-01 to 2026-12-26", u""})
        EXPECT_EQ(parseCampaignName(name).kind, CampaignName::Other) << utf8FromUtf16(name);
}

TEST(CampaignNames, ARangeThatDoesNotHoldSaysWhy) {
    const struct {
        const char16_t* name;
        const char* problem;
    } invalid[] = {
        {u"2026-13-01 to 2026-12-26", "the first date does not exist"},
        {u"2026-11-01 to 2026-11-31 November", "the last date does not exist"},
        {u"2027-02-29 to 2027-03-01", "the first date does not exist"},
        {u"2100-02-01 to 2100-02-29", "the last date does not exist"},
        {u"2026-12-26 to 2026-12-01", "the last date is before the first"},
        {u"2026-12-1 to 2026-12-26", "the dates are not written YYYY-MM-DD to YYYY-MM-DD"},
        {u"2026-12-01  to 2026-12-26", "the dates are not written YYYY-MM-DD to YYYY-MM-DD"},
        {u"2026-12-01 to 2026-12-261", "the dates are not written YYYY-MM-DD to YYYY-MM-DD"},
        {u"2026-12-01 to", "the dates are not written YYYY-MM-DD to YYYY-MM-DD"},
        {u"2026-12-01 to Christmas", "the dates are not written YYYY-MM-DD to YYYY-MM-DD"},
    };
    for (const auto& item : invalid) {
        const CampaignName parsed = parseCampaignName(item.name);
        EXPECT_EQ(parsed.kind, CampaignName::Invalid) << utf8FromUtf16(item.name);
        EXPECT_STREQ(parsed.problem, item.problem) << utf8FromUtf16(item.name);
    }
}

TEST(CampaignCalendar, CurrentCampaignsAndTheNextChangeFollowTheDate) {
    CampaignCalendar calendar;
    const auto invalid =
        calendar.takeListing({u"2026-12-20 to 2026-12-31 Sale", u"old", u"2026-12-01 to 2026-12-26",
                              u"2026-12-32 to 2027-01-02", u"2025-12-01 to 2025-12-26"});
    ASSERT_EQ(invalid.size(), 1u);
    EXPECT_EQ(invalid[0].name, u"2026-12-32 to 2027-01-02");

    const auto names = [&](LocalDate on) {
        std::vector<std::u16string> result;
        for (const auto& campaign : calendar.currentOn(on))
            result.push_back(campaign.name);
        return result;
    };
    using Names = std::vector<std::u16string>;
    EXPECT_EQ(names(date(2026, 11, 30)), Names{});
    EXPECT_EQ(calendar.nextChange(date(2026, 11, 30)), date(2026, 12, 1));
    // Both ends are days of the campaign; overlapping ones keep listing order.
    EXPECT_EQ(names(date(2026, 12, 1)), Names{u"2026-12-01 to 2026-12-26"});
    EXPECT_EQ(names(date(2026, 12, 26)),
              (Names{u"2026-12-20 to 2026-12-31 Sale", u"2026-12-01 to 2026-12-26"}));
    EXPECT_EQ(calendar.nextChange(date(2026, 12, 20)), date(2026, 12, 27));
    EXPECT_EQ(names(date(2026, 12, 31)), Names{u"2026-12-20 to 2026-12-31 Sale"});
    EXPECT_EQ(calendar.nextChange(date(2026, 12, 31)), date(2027, 1, 1));
    EXPECT_EQ(names(date(2027, 1, 1)), Names{});
    EXPECT_EQ(calendar.nextChange(date(2027, 1, 1)), std::nullopt);

    // An invalid name is told once while it stays, and again if it comes back.
    EXPECT_TRUE(calendar.takeListing({u"2026-12-32 to 2027-01-02"}).empty());
    calendar.takeListing({});
    EXPECT_EQ(calendar.takeListing({u"2026-12-32 to 2027-01-02"}).size(), 1u);
}

} // namespace
} // namespace Korva::QELD
