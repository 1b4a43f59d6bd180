#include "slideshow_fixture.h"

#include "tests/support/test_share.h"

#include <filesystem>

using namespace SlideshowTest;
using Korva::QELD::Test::TestShare;

namespace {

const char* const unreachable = "event 0x80000030 (warning)";
const char* const back = "event 0x40000031 (informational)";

// The slideshow with the pictures of one model (QEL40) on a file server of
// the test's own, beside a tablet (QEL50) on the local folder.
class ShareSlideshow : public Slideshow {
protected:
    void SetUp() override {
        Slideshow::SetUp();
        setText(L"QEL40", L"Folder", share_.folder());
    }

    // Whether the tablet shows each picture in turn, once each.
    bool showsInTurn(const Tablet& tablet, const std::vector<std::wstring>& paths) {
        for (const auto& path : paths) {
            if (!shows(tablet, expected(path, tablet)))
                return false;
        }
        return true;
    }

    TestShare share_{L"pictures"};
};

} // namespace

// A server that stops answering holds only its own list: a settings change
// that builds a new list on it, the ticks and the local tablet go on, and
// "q" ends the program within five seconds although a call to the server
// never returns.
TEST_F(ShareSlideshow, HeldShareStallsNeitherTheLocalTabletNorTheQuit) {
    writeBitmap(share_.backing(L"s.bmp"), 60, 40, 0x2020FF);
    writeBitmap(picture(L"x.bmp"), 80, 60, 0xFF0000);
    writeBitmap(picture(L"y.bmp"), 80, 60, 0x00FF00);
    const Tablet remote = plug("QEL40", rgb565);
    const Tablet local = plug("QEL50 --bulk", bgrBulk);
    auto& console = start();
    ASSERT_TRUE(shows(remote, expected(share_.backing(L"s.bmp"), remote)));

    share_.hold();
    setDword(L"QEL40", L"Clip", 0x22);
    EXPECT_TRUE(showsInTurn(local, {picture(L"x.bmp"), picture(L"y.bmp"), picture(L"x.bmp")}))
        << console.output();

    // Wine cannot interrupt a call blocked in the file system: the process
    // ends for Windows while that one thread waits on in Linux.
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(console.quit(), 0u) << console.output();
    EXPECT_LT(::GetTickCount() - start, 5000u) << console.output();
    share_.release();
}

// While the server fails, the tablet goes on through the last good set from
// the local copy; the outage and the return are reported once each, and a
// picture added meanwhile is shown once the server answers again.
TEST_F(ShareSlideshow, FailingShareShowsItsLocalCopyUntilItIsBack) {
    writeBitmap(share_.backing(L"a.bmp"), 60, 40, 0xFF2020);
    writeBitmap(share_.backing(L"b.bmp"), 40, 60, 0x20FF20);
    const Tablet remote = plug("QEL40", rgb565);
    auto& console = start();
    const std::vector<std::wstring> set{share_.backing(L"a.bmp"), share_.backing(L"b.bmp")};
    ASSERT_TRUE(showsInTurn(remote, set));
    const auto copied = std::filesystem::file_size(set[0]) + std::filesystem::file_size(set[1]);

    // The failing test server answers ERROR_NOACCESS (998) under Wine, where
    // Windows gives a network error; either is told from a deleted folder.
    share_.fail();
    ASSERT_TRUE(console.waitFor(unreachable)) << console.output();
    EXPECT_TRUE(showsInTurn(remote, set));
    EXPECT_TRUE(showsInTurn(remote, set));
    EXPECT_EQ(console.count(unreachable), 1u) << console.output();
    EXPECT_NE(console.output().find("\\\\fileserver\\pictures\\"), std::string::npos);
    const auto status = runProcess(serviceProgram() + L" /status").output;
    EXPECT_NE(status.find("  shown from: local copy since "), std::string::npos) << status;
    EXPECT_NE(status.find("  local copy: " + std::to_string(copied) + " of 268435456 bytes\n"),
              std::string::npos)
        << status;

    writeBitmap(share_.backing(L"c.bmp"), 50, 50, 0x2020FF);
    share_.recover();
    ASSERT_TRUE(console.waitFor(back)) << console.output();
    EXPECT_TRUE(shows(remote, expected(share_.backing(L"c.bmp"), remote),
                      std::chrono::milliseconds(3 * 2000 + 1000)));
    EXPECT_EQ(console.count(unreachable), 1u);
    EXPECT_EQ(console.count(back), 1u);
}

// The server sends no notification for a picture overwritten behind it (of
// the same size): the listing's time stamp tells, within the relist period.
TEST_F(ShareSlideshow, PictureOverwrittenBehindTheServerIsShownAnew) {
    writeBitmap(share_.backing(L"p.bmp"), 60, 40, 0xFF2020);
    const Tablet remote = plug("QEL40", rgb565);
    auto& console = start();
    ASSERT_TRUE(shows(remote, expected(share_.backing(L"p.bmp"), remote)));
    // Only the time stamp tells the rewrite, and a file system may keep whole
    // seconds: the pause makes the stamp differ; nothing is awaited.
    ::Sleep(1100);
    writeBitmap(share_.backing(L"p.bmp"), 60, 40, 0x20FF20);
    EXPECT_TRUE(
        shows(remote, expected(share_.backing(L"p.bmp"), remote), std::chrono::seconds(30 + 5)))
        << console.output();
}
