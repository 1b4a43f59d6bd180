#include "slideshow_fixture.h"

using namespace SlideshowTest;

// "q" in the middle of uploads to full-speed tablets of the largest screen:
// one through feature reports (15,544 reports, about 17 s a picture) and one
// through the bulk pipe (3,932,160 bytes, about 4 s). The program ends within
// 2 s of the "q"; both transfers were ended as abandoned rather than left
// open, and both screens took the clear.
TEST_F(Slideshow, QuitInTheMiddleOfFullSpeedUploadsEndsWithinTwoSeconds) {
    writeBitmap(picture(L"a.bmp"), 80, 60, 0xFF0000);
    const Tablet reports = plug("QEL60 --size 1280x1024 --usb full", {0x04, 1280, 1024});
    const Tablet bulk = plug("QEL60 --bulk --size 1280x1024 --usb full", {0x14, 1280, 1024});
    auto& console = start();
    ASSERT_TRUE(Korva::QELD::Test::eventually("both uploads under way", [&] {
        return tabletValue(reports, "data_reports") > 100 && tabletValue(bulk, "status") == 1;
    })) << tablets_.run("status " + std::to_string(bulk.slot));

    const DWORD quit = ::GetTickCount();
    EXPECT_EQ(console.quit(), 0u) << console.output();
    EXPECT_LT(::GetTickCount() - quit, 2000u) << console.output();
    for (const Tablet& tablet : {reports, bulk}) {
        EXPECT_EQ(tabletValue(tablet, "status"), 0) << tablet.slot;
        EXPECT_GE(tabletValue(tablet, "abandoned"), 1) << tablet.slot;
        EXPECT_EQ(tabletValue(tablet, "clears"), 1) << tablet.slot;
        EXPECT_TRUE(blank(tablet)) << tablet.slot;
    }
    EXPECT_EQ(tabletValue(reports, "images"), 0);
}

// A bulk write that takes longer than the 2 s a single request gets
// (1024 x 768 at 24 bits, 2,359,296 bytes, about 2.4 s at full speed)
// completes. When the pipe then stops moving (1 byte/s), the write fails
// within its bound and is reported once; the worker goes on, and once the
// pipe moves again the next tick ends the abandoned transfer and shows the
// picture.
TEST_F(Slideshow, FullSpeedBulkWriteCompletesAndAStalledPipeRecoversAtTheNextTick) {
    writeBitmap(picture(L"a.bmp"), 80, 60, 0x00FF00);
    const Tablet tablet = plug("QEL60 --bulk --size 1024x768 --usb full", {0x14, 1024, 768});
    auto& console = start();
    ASSERT_TRUE(shows(tablet, expected(picture(L"a.bmp"), tablet)));
    EXPECT_EQ(console.count("event 0x"), 0u) << console.output();

    tablets_.fault(tablet.slot, "bulk-rate 1");
    const DWORD stalled = ::GetTickCount();
    ASSERT_TRUE(console.waitFor("timeout_error", 30000)) << console.output();
    // The next tick (2 s), the write under way when the pipe stalled (2.4 s)
    // and the stalled write's own bound (2 s + 2,359,296 bytes at
    // 304,000 bytes/s, 9.8 s), with room for a loaded machine.
    EXPECT_LT(::GetTickCount() - stalled, 18000u);

    tablets_.fault(tablet.slot, "bulk-rate 1000000");
    const long images = tabletValue(tablet, "images");
    // The next tick (2 s) and its upload at full speed, with room for a
    // loaded machine.
    EXPECT_TRUE(Korva::QELD::Test::eventuallyWithin(
        std::chrono::seconds(15), "the next tick's picture",
        [&] { return tabletValue(tablet, "images") > images; }));
    EXPECT_GE(tabletValue(tablet, "abandoned"), 1);
    EXPECT_EQ(console.count("event 0x"), 1u) << console.output();
    EXPECT_EQ(console.quit(), 0u);
}
