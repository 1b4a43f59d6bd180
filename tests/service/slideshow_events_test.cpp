#include "slideshow_fixture.h"
#include "status_queries.h"
#include "tests/support/unix_shell.h"
#include "tests/support/wine_paths.h"

#include <chrono>
#include <filesystem>

using namespace SlideshowTest;
using namespace std::chrono_literals;
using Korva::QELD::Test::runUnix;
using Moment = std::chrono::steady_clock::time_point;

namespace {

// The slideshow reacting to what happens while it runs: interval changes,
// tablet arrivals, folder and settings changes. Every tick sends the
// current picture again, so a tablet's count of received pictures counts the
// ticks that reached it.
class SlideshowEvents : public Slideshow {
protected:
    void TearDown() override {
        Slideshow::TearDown();
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(otherFolder()), ignored);
        std::filesystem::remove(std::filesystem::path(staged()), ignored);
        for (const auto& folder : {otherFolder() + L"-new", folder_ + L"-new", folder_ + L"-away"})
            std::filesystem::remove_all(std::filesystem::path(folder), ignored);
    }

    int images(const Tablet& tablet) { return static_cast<int>(tabletValue(tablet, "images")); }

    // Waits until the tablet has received more pictures than the count
    // given and returns when that was seen. Count before the change that is
    // to cause a tick: it may reach the tablet within a few milliseconds.
    Moment imageAfter(const Tablet& tablet, int count) {
        EXPECT_TRUE(Korva::QELD::Test::eventually("tablet " + std::to_string(tablet.slot) +
                                                      " to receive more than " +
                                                      std::to_string(count) + " pictures",
                                                  [&] { return images(tablet) > count; }));
        return std::chrono::steady_clock::now();
    }
    Moment nextImage(const Tablet& tablet) { return imageAfter(tablet, images(tablet)); }

    std::wstring otherFolder() const { return folder_ + L"-other"; }
    std::wstring staged() const { return folder_ + L"-staged.bmp"; }
};

std::int64_t milliseconds(Moment from, Moment to) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

} // namespace

TEST_F(SlideshowEvents, IntervalChangeMovesThePendingTickBySignedDifference) {
    writeBitmap(picture(L"a.bmp"), 40, 30, 0xFFFFFF);
    setDword(nullptr, L"Update Time", 3000);
    const Tablet tablet = plug("QEL10", mono);
    auto& console = start();
    ASSERT_TRUE(shows(tablet, expected(picture(L"a.bmp"), tablet)));
    // The settings the program read at start stay raised until the flags
    // event first fires, and then tick at once; a device notification
    // handles them before the interval is measured.
    int count = images(tablet);
    console.send("d");
    imageAfter(tablet, count);

    const Moment tick = nextImage(tablet);
    // The change comes at a chosen moment of the interval: the pause is the
    // test's input, not a wait for the program.
    ::Sleep(1000);
    count = images(tablet);
    setDword(nullptr, L"Update Time", 10000);
    // Due 10 s after the last tick: not 3 s (no move) and not 11 s (an
    // interval counted from the change).
    const Moment moved = imageAfter(tablet, count);
    EXPECT_NEAR(milliseconds(tick, moved), 10000, 800);

    // Shortening the interval below the time already gone by makes the
    // pending tick due at once: about 3 s after the last tick, when the
    // change came, not 5 s (an interval counted from the change). The ticks
    // after it keep the new interval. Again the pause places the change.
    ::Sleep(3000);
    count = images(tablet);
    setDword(nullptr, L"Update Time", 2000);
    const Moment due = imageAfter(tablet, count);
    EXPECT_NEAR(milliseconds(moved, due), 3000, 800);
    EXPECT_NEAR(milliseconds(due, nextImage(tablet)), 2000, 800);
    EXPECT_EQ(console.quit(), 0u);
}

TEST_F(SlideshowEvents, ArrivalThroughTheWindowThreadStartsAWorker) {
    writeBitmap(picture(L"a.bmp"), 80, 60, 0x20FF20);
    setDword(nullptr, L"Update Time", 60000);
    auto& console = start();
    const Tablet tablet = plug("QEL40", rgb565);
    EXPECT_TRUE(console.waitFor("dbg: WindowThread: WM_DEVICECHANGE/DBT_DEVICEARRIVAL -- \\\\?\\"))
        << console.output();
    // Long before the next tick: the arrival alone starts the worker, which
    // shows the list's current picture.
    EXPECT_TRUE(shows(tablet, expected(picture(L"a.bmp"), tablet), 15s));
    EXPECT_EQ(console.count("event 0x"), 0u) << console.output();
    EXPECT_EQ(console.quit(), 0u);
}

TEST_F(SlideshowEvents, PictureCopiedIntoAnEmptyFolderIsShownAtOnce) {
    setDword(nullptr, L"Update Time", 60000);
    const Tablet tablet = plug("QEL40", rgb565);
    auto& console = start();
    // The worker has probed the tablet, with nothing yet to show.
    statusWhen("QEL40 probed", [](const std::string& status) {
        return tabletEntry(status, "QEL40").find("  screen: ") != std::string::npos;
    });
    // Written elsewhere first, so that the folder never holds half a picture.
    writeBitmap(staged(), 80, 60, 0xFF20FF);
    ASSERT_TRUE(::CopyFileW(staged().c_str(), picture(L"new.bmp").c_str(), TRUE));
    EXPECT_TRUE(shows(tablet, expected(picture(L"new.bmp"), tablet), 15s));
    EXPECT_EQ(console.count("event 0x"), 0u) << console.output();
    EXPECT_EQ(console.quit(), 0u);
}

TEST_F(SlideshowEvents, ModelSettingsChangeTicksAtOnceAndGivesTheModelItsNewList) {
    writeBitmap(picture(L"a.bmp"), 80, 60, 0xFF2020);
    writeBitmap(picture(L"b.bmp"), 60, 80, 0x2020FF);
    ::CreateDirectoryW(otherFolder().c_str(), nullptr);
    const std::wstring other = otherFolder() + L"\\c.bmp";
    writeBitmap(other, 100, 50, 0x20FF20);
    setDword(nullptr, L"Update Time", 60000);
    // The model's key is there before the change, so that the change is one
    // write: a new key and its value are two, and a read between them ticks
    // once more.
    setText(L"QEL40", L"Folder", folder_);
    const Tablet changed = plug("QEL40", rgb565);
    const Tablet kept = plug("QEL10", mono);
    auto& console = start();
    ASSERT_TRUE(shows(changed, expected(picture(L"a.bmp"), changed)));
    ASSERT_TRUE(shows(kept, expected(picture(L"a.bmp"), kept)));

    setText(L"QEL40", L"Folder", otherFolder());
    // The tick that follows the change advances the list that stayed too.
    EXPECT_TRUE(shows(changed, expected(other, changed), 15s));
    EXPECT_TRUE(shows(kept, expected(picture(L"b.bmp"), kept), 15s));
    EXPECT_EQ(console.count("event 0x"), 0u) << console.output();
    EXPECT_EQ(console.quit(), 0u);
}

TEST_F(SlideshowEvents, TwoTabletsOfOneModelShowTheSamePictureAfterEveryTick) {
    writeBitmap(picture(L"a.bmp"), 120, 90, 0xFF2020);
    writeBitmap(picture(L"b.bmp"), 60, 160, 0x20FF20);
    writeBitmap(picture(L"c.bmp"), 300, 100, 0x2020FF);
    setDword(nullptr, L"Update Time", 2000);
    // One with a bulk pipe and one without: the same picture, prepared in
    // two pixel formats.
    const Tablet bulk = plug("QEL50 --bulk --size 160x120", {0x14, 160, 120});
    const Tablet reports = plug("QEL50 --size 160x120", {0x04, 160, 120});
    auto& console = start();
    for (const wchar_t* name : {L"a.bmp", L"b.bmp", L"c.bmp", L"a.bmp"}) {
        ASSERT_TRUE(shows(bulk, expected(picture(name), bulk)));
        // Well within the same tick.
        EXPECT_TRUE(shows(reports, expected(picture(name), reports), 1500ms));
    }
    EXPECT_EQ(console.count("event 0x"), 0u) << console.output();
    EXPECT_EQ(console.quit(), 0u);
}

// Folders that go and come back: replaced between two checks, gone for a
// while (deleted, or their drive or share dropped out) while a tablet is
// plugged, and renamed away and back. Deleting and replacing happen on the
// Linux side: Wine keeps a folder deleted through Windows while the watcher
// has it open until the watcher lets go, and does not say that its delete is
// pending, so only the program's own check could not see it.
TEST_F(SlideshowEvents, FoldersThatGoAndComeBackAreFollowedWithOneReportPerOutage) {
    const DWORD interval = 5000;
    const std::chrono::milliseconds tick(interval);
    const std::filesystem::path temp = std::filesystem::path(folder_).parent_path();
    const std::string generic = std::filesystem::path(folder_).filename().string();
    const std::string own = generic + "-other";
    const std::wstring ownFolder = otherFolder();
    const auto stage = [&](const std::wstring& folder, const wchar_t* name, std::uint32_t rgb) {
        ::CreateDirectoryW((folder + L"-new").c_str(), nullptr);
        writeBitmap(folder + L"-new\\" + name, 80, 60, rgb);
    };
    writeBitmap(picture(L"a.bmp"), 80, 60, 0xFF2020);
    ::CreateDirectoryW(ownFolder.c_str(), nullptr);
    writeBitmap(ownFolder + L"\\m.bmp", 60, 80, 0x2020FF);
    setText(L"QEL40", L"Folder", ownFolder);
    setDword(nullptr, L"Update Time", interval);
    const Tablet mono10 = plug("QEL10", mono);
    const Tablet model40 = plug("QEL40", rgb565);
    auto& console = start();
    ASSERT_TRUE(shows(mono10, expected(picture(L"a.bmp"), mono10)));
    ASSERT_TRUE(shows(model40, expected(ownFolder + L"\\m.bmp", model40)));

    // Replaced at once by a folder with a picture of the same name: seen by
    // its identity at the next tick, and the picture is prepared afresh.
    stage(folder_, L"a.bmp", 0x20FF20);
    ASSERT_TRUE(runUnix(temp, "rm -rf " + generic + " && mv " + generic + "-new " + generic));
    EXPECT_TRUE(shows(mono10, expected(picture(L"a.bmp"), mono10), 2 * tick));

    // Both folders gone: one report each. A tablet plugged meanwhile shows
    // the pictures once the folders are back, within one interval.
    stage(folder_, L"b.bmp", 0xFFFF20);
    stage(ownFolder, L"n.bmp", 0x20FFFF);
    ASSERT_TRUE(runUnix(temp, "rm -rf " + generic + " " + own));
    EXPECT_TRUE(console.waitFor("event 0x8000000A", 2 * interval));
    const Tablet late = plug("QEL50 --size 160x120", {0x04, 160, 120});
    console.send("d");
    // Both outages reported and the late tablet taken in, while the
    // folders are still gone.
    EXPECT_TRUE(Korva::QELD::Test::eventually("a report of each outage", [&] {
        return console.count("event 0x8000000A") == 2;
    })) << console.output();
    statusWhen("QEL50 probed", [](const std::string& status) {
        return tabletEntry(status, "QEL50").find("  screen: ") != std::string::npos;
    });
    ASSERT_TRUE(
        runUnix(temp, "mv " + generic + "-new " + generic + " && mv " + own + "-new " + own));
    EXPECT_TRUE(shows(mono10, expected(picture(L"b.bmp"), mono10), tick));
    EXPECT_TRUE(shows(model40, expected(ownFolder + L"\\n.bmp", model40), tick));
    EXPECT_TRUE(shows(late, expected(picture(L"b.bmp"), late), tick));
    EXPECT_EQ(console.count("event 0x8000000A"), 2u) << console.output();

    // Renamed away, given another picture meanwhile, and renamed back.
    const std::wstring away = folder_ + L"-away";
    ASSERT_TRUE(::MoveFileW(folder_.c_str(), away.c_str()));
    EXPECT_TRUE(console.waitFor("event 0x8000000A", 2 * interval,
                                console.output().rfind("0x8000000A") + 1));
    writeBitmap(away + L"\\c.bmp", 100, 50, 0xFF20FF);
    ::DeleteFileW((away + L"\\b.bmp").c_str());
    ASSERT_TRUE(::MoveFileW(away.c_str(), folder_.c_str()));
    EXPECT_TRUE(shows(mono10, expected(picture(L"c.bmp"), mono10), tick));
    EXPECT_EQ(console.count("event 0x"), 3u) << console.output();
    EXPECT_EQ(console.quit(), 0u);
}
