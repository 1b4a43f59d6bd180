#include "slideshow_fixture.h"
#include "status_queries.h"
#include "slideshow/device_list.h"
#include "tests/slideshow/list_folder_fixture.h"

#include <filesystem>
#include <fstream>

using namespace SlideshowTest;

TEST_F(Slideshow, EveryTabletShowsItsModelsPicturesInTurnAndIsBlankedAtQuit) {
    writeBitmap(picture(L"a.bmp"), 120, 90, 0xFF2020);
    writeBitmap(picture(L"b.bmp"), 60, 160, 0x20FF20);
    writeBitmap(picture(L"c.bmp"), 700, 300, 0x2020FF);
    const DeviceConfig stretch{0, 0, 0x11, true, {}};
    const DeviceConfig original{1, 2, 0x22, false, {}};
    setDword(L"QEL40", L"Scale", 0);
    setDword(L"QEL50", L"Scale", 2);
    setDword(L"QEL50", L"Clip", 0x22);
    setDword(L"QEL50", L"Border", 1);
    const Tablet qel10 = plug("QEL10", mono);
    const Tablet qel40 = plug("QEL40", rgb565);
    const Tablet qel50 = plug("QEL50 --bulk", bgrBulk);

    start();
    for (const wchar_t* name : {L"a.bmp", L"b.bmp", L"c.bmp", L"a.bmp"}) {
        EXPECT_TRUE(shows(qel10, expected(picture(name), qel10))) << "QEL10";
        EXPECT_TRUE(shows(qel40, expected(picture(name), qel40, stretch))) << "QEL40";
        EXPECT_TRUE(shows(qel50, expected(picture(name), qel50, original))) << "QEL50";
    }
    EXPECT_EQ(session_->quit(), 0u);
    EXPECT_TRUE(blank(qel10));
    EXPECT_TRUE(blank(qel40));
    EXPECT_TRUE(blank(qel50));
}

TEST_F(Slideshow, FollowsArrivalRemovalSuspendAndResume) {
    writeBitmap(picture(L"a.bmp"), 80, 60, 0xFFFFFF);
    const Tablet first = plug("QEL40", rgb565);
    auto& console = start();
    ASSERT_TRUE(shows(first, expected(picture(L"a.bmp"), first)));

    const Tablet second = plug("QEL20", mono);
    console.send("d");
    EXPECT_TRUE(shows(second, expected(picture(L"a.bmp"), second)));

    const std::size_t before = console.output().size();
    tablets_.unplug(second.slot);
    // Windows fails the next request with 1167 or the open with 2, both
    // reported as a removed device. Wine fails a request that races with
    // the removal on a handle opened just before it with 5 instead.
    ASSERT_TRUE(console.waitFor("event 0x", 20000, before)) << console.output();
    const std::string removal = console.output().substr(before);
    EXPECT_TRUE(removal.find("event 0x40000006") != std::string::npos ||
                removal.find("std::system_error 5") != std::string::npos)
        << removal;

    console.send("s");
    EXPECT_TRUE(console.waitFor("emulating suspend notification"));
    EXPECT_TRUE(shows(first, std::vector<std::uint8_t>(320 * 200 * 3)))
        << "suspend blanks the tablet as its worker ends";
    console.send("r");
    EXPECT_TRUE(shows(first, expected(picture(L"a.bmp"), first)));
    EXPECT_EQ(console.quit(), 0u);
}

// A picture still being copied fails for a moment and must not be reported;
// one that stays bad is reported once, by its path, after its quiet period,
// in words beside the number, and once for all tablets.
TEST_F(Slideshow, BadPictureIsReportedOnceByPathAndAHalfCopiedOneNotAtAll) {
    writeBitmap(picture(L"a.bmp"), 80, 60, 0xFF0000);
    writeBrokenPicture(picture(L"b.png"));
    writeBitmap(picture(L"c.whole"), 80, 60, 0x0000FF);
    std::string whole;
    {
        std::ifstream file(std::filesystem::path(picture(L"c.whole")), std::ios::binary);
        whole.assign(std::istreambuf_iterator<char>(file), {});
    }
    std::ofstream(std::filesystem::path(picture(L"c.bmp")), std::ios::binary)
        << whole.substr(0, whole.size() / 2);
    const Tablet tablet = plug("QEL40", rgb565);
    plug("QEL10", mono);
    auto& console = start();
    ASSERT_TRUE(shows(tablet, expected(picture(L"a.bmp"), tablet)));
    // Every picture has come round once, c half written, when the tablet's
    // last failure is c's.
    statusWhen("c.bmp failing on QEL40", [](const std::string& status) {
        return tabletEntry(status, "QEL40").find("c.bmp cannot be shown") != std::string::npos;
    });
    std::ofstream(std::filesystem::path(picture(L"c.bmp")), std::ios::binary) << whole;
    EXPECT_TRUE(shows(tablet, expected(picture(L"c.bmp"), tablet)));
    ASSERT_TRUE(console.waitFor("event 0xC0000020", 40000)) << console.output();
    EXPECT_TRUE(shows(tablet, expected(picture(L"a.bmp"), tablet)));
    EXPECT_TRUE(shows(tablet, expected(picture(L"c.bmp"), tablet)));
    const std::string output = console.output();
    EXPECT_EQ(console.count("event 0x"), 1u) << output;
    std::string folder(folder_.begin(), folder_.end());
    std::transform(folder.begin(), folder.end(), folder.begin(), ::tolower);
    const auto report = output.find("The picture " + folder);
    ASSERT_NE(report, std::string::npos) << output;
    // Wine has no text for the imaging component's errors; the report's own
    // words stand in for it there and on Windows alike.
    EXPECT_NE(output.find("b.png cannot be shown: not a picture Windows can read (error "
                          "0x88982F50)",
                          report),
              std::string::npos)
        << output;
    EXPECT_EQ(console.quit(), 0u);
}

// Each upload opens the tablet anew and may find its bulk pipe gone; the
// picture then travels through feature reports instead of failing.
TEST_F(Slideshow, LostBulkPipeSendsTheNextPicturesThroughFeatureReports) {
    writeBitmap(picture(L"a.bmp"), 80, 60, 0xFF0000);
    writeBitmap(picture(L"b.bmp"), 80, 60, 0x00FF00);
    const Tablet tablet = plug("QEL50 --bulk", bgrBulk);
    auto& console = start();
    ASSERT_TRUE(shows(tablet, expected(picture(L"a.bmp"), tablet)));
    tablets_.fault(tablet.slot, "bulk-in");
    EXPECT_TRUE(shows(tablet, expected(picture(L"b.bmp"), tablet)));
    EXPECT_TRUE(shows(tablet, expected(picture(L"a.bmp"), tablet)));
    EXPECT_EQ(console.count("event 0x"), 0u) << console.output();
    EXPECT_EQ(console.quit(), 0u);
    // Read after the quit, so that no upload is under way: the tablet is
    // not left in a transfer, and it took the blanking report.
    std::string status = tablets_.run("status " + std::to_string(tablet.slot));
    std::erase(status, '\r');
    EXPECT_NE(status.find("status=0\n"), std::string::npos) << status;
    EXPECT_NE(status.find("last_image_mode=4\n"), std::string::npos) << status;
    EXPECT_NE(status.find("clears=1\n"), std::string::npos) << status;
}

TEST_F(Slideshow, WorkersEndOnBadTablets) {
    writeBitmap(picture(L"a.bmp"), 80, 60, 0xFF0000);
    const Tablet busy = plug("QEL40", rgb565);
    tablets_.fault(busy.slot, "status 4");
    const Tablet noScreen = plug("QEL50", bgrBulk);
    tablets_.fault(noScreen.slot, "zero-width");
    const Tablet huge = plug("QEL10", mono);
    tablets_.fault(huge.slot, "huge-screen");
    auto& console = start();
    EXPECT_TRUE(console.waitFor("event 0xC0000003", 60000)) << console.output();
    EXPECT_NE(console.output().find("timeout_error"), std::string::npos) << console.output();
    EXPECT_TRUE(console.waitFor("event 0x80000021")) << console.output();
    EXPECT_NE(console.output().find("reports a screen of 65535 x 65535 pixels"), std::string::npos)
        << console.output();
    EXPECT_EQ(console.count("event 0x"), 2u) << "the tablet without a screen ends silently";
    EXPECT_EQ(console.quit(), 0u);
}

// The main loop waits on every worker in one wait, which takes a bounded
// number of handles: tablets past the limit get no worker and are reported
// once, however often the tablets are enumerated again.
TEST_F(Slideshow, TabletsBeyondTheWorkerLimitAreLeftOutAndReportedOnce) {
    plug("QEL40", rgb565);
    plug("QEL10", mono);
    Korva::QELD::Test::RecordingSink sink;
    EventLog eventLog({}, &sink);
    ConfigurationData settings(L"SOFTWARE\\Korva\\QELD worker limit test");
    ImageListMap imageLists(settings, eventLog);
    StatusRecord status("test", RunMode::Console, std::chrono::system_clock::now());
    DeviceList devices(imageLists, eventLog, status, 1);
    devices.update();
    devices.update();
    EXPECT_EQ(devices.size(), 1u);
    const auto reports = sink.reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].id, Event_TooManyTablets);
    EXPECT_EQ(reports[0].inserts.at(1), "1");
}
