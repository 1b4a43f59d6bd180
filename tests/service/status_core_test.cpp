#include "service/core/status_request.h"
#include "service/core/status_text.h"

#include <gtest/gtest.h>

using namespace Korva::QELD;
using namespace std::chrono;

TEST(StatusText, ListsTheProgramEachPictureListAndEachTablet) {
    const steady_clock::time_point now{};
    StatusRecord record("2.0.1", RunMode::Service, sys_days{2026y / 12 / 7} + 17h + 54min + 3s);
    record.setClock(2000, now + 1500ms);
    record.setLists({{{0, 3}, u"C:\\pics", 3, u"C:\\pics\\b.png"},
                     {{5},
                      u"D:\\",
                      1,
                      u"d:\\2026-12-01 to 2026-12-26 xmas\\a.png",
                      true,
                      std::nullopt,
                      {u"2026-12-01 to 2026-12-26 xmas", u"2026-12-20 to 2026-12-31"},
                      sys_days{2026y / 12 / 27}}});
    record.tabletStarted(L"bulk", 0x0C14, 5);
    record.tabletProbed(L"bulk", {0x14, 640, 480});
    record.tabletUploaded(L"bulk", u"C:\\pics\\b.png", sys_days{2026y / 12 / 7} + 18h + 7ms, 64ms);
    record.tabletHeld(L"bulk", 70ms);
    record.tabletStarted(L"mono", 0x0C10, 1);
    record.tabletFailed(L"mono", "The device is not ready.", true, 0xC0000003,
                        sys_days{2026y / 12 / 7} + 18h + 1s);

    const HealthReport health{Health::Degraded, {"The tablet QEL10 is stopped by a failure."}};
    EXPECT_EQ(formatStatus(record.snapshot(), health, now),
              "program: Zelqa QEL Display 2.0.1\n"
              "mode: service\n"
              "running since: 2026-12-07 17:54:03.000 UTC\n"
              "interval: 2000 ms\n"
              "next change: in 2 s\n"
              "suspended: no\n"
              "health: degraded\n"
              "  The tablet QEL10 is stopped by a failure.\n"
              "picture list: C:\\pics\n"
              "  models: generic QEL40\n"
              "  pictures: 3\n"
              "  current picture: C:\\pics\\b.png\n"
              "  campaigns: none\n"
              "  next campaign change: none\n"
              "picture list: D:\\\n"
              "  models: QEL50\n"
              "  pictures: 1\n"
              "  current picture: d:\\2026-12-01 to 2026-12-26 xmas\\a.png\n"
              "  campaigns: 2026-12-01 to 2026-12-26 xmas, 2026-12-20 to 2026-12-31\n"
              "  next campaign change: 2026-12-27\n"
              "tablet: QEL50, product id 0x0C14\n"
              "  screen: 640 x 480\n"
              "  pixel format: 24 bits per pixel\n"
              "  transport: bulk pipe\n"
              "  state: showing\n"
              "  current picture: C:\\pics\\b.png\n"
              "  last upload: 2026-12-07 18:00:00.007 UTC, 64 ms\n"
              "  exclusive hold: 70 ms\n"
              "  uploads: 1\n"
              "  last failure: none\n"
              "tablet: QEL10, product id 0x0C10\n"
              "  state: stopped by a failure\n"
              "  current picture: none\n"
              "  last upload: none\n"
              "  uploads: 0\n"
              "  last failure: The device is not ready.\n"
              "  last failure at: 2026-12-07 18:00:01.000 UTC, event ID 3\n");
}

// A failure must outlive the worker it ended, and a worker of a tablet that
// is gone must not bring its entry back.
TEST(StatusRecord, KeepsFailuresAcrossRestartsAndForgetsVanishedTablets) {
    StatusRecord record("1", RunMode::Console, {});
    record.tabletStarted(L"a", 0x0C13, 3);
    record.tabletFailed(L"a", "broken", true);
    record.tabletStarted(L"a", 0x0C13, 3);
    record.tabletStarted(L"b", 0x0C10, 1);
    EXPECT_EQ(record.snapshot().tablets.at(L"a").state, TabletState::Starting);
    EXPECT_EQ(record.snapshot().tablets.at(L"a").lastFailure, "broken");

    record.keepTablets({L"a"});
    record.tabletProbed(L"b", {0, 396, 100});
    record.tabletUploaded(L"b", u"x", {}, 1ms);
    EXPECT_EQ(record.snapshot().tablets.size(), 1u);
    record.tabletGone(L"a");
    EXPECT_TRUE(record.snapshot().tablets.empty());
}

TEST(StatusRequest, AcceptsOneStatusLineInPiecesAndRefusesAnythingElse) {
    StatusRequest split;
    EXPECT_EQ(split.add("sta"), StatusRequest::Result::Incomplete);
    EXPECT_EQ(split.add("tus\n"), StatusRequest::Result::Status);
    EXPECT_EQ(StatusRequest().add("status json\n"), StatusRequest::Result::Json);

    for (const char* bytes : {"status\nstatus\n", "status json \n", "STATUS\n", "status\r\n", "\n"})
        EXPECT_EQ(StatusRequest().add(bytes), StatusRequest::Result::Refused) << bytes;
    StatusRequest endless;
    const std::string chunk(StatusRequest::longest / 2, 's');
    EXPECT_EQ(endless.add(chunk), StatusRequest::Result::Incomplete);
    EXPECT_EQ(endless.add(chunk), StatusRequest::Result::Incomplete);
    EXPECT_EQ(endless.add("s"), StatusRequest::Result::Refused);
}
