#include "slideshow_fixture.h"

using namespace SlideshowTest;

// "q" ends the program within five seconds whatever the tablets do: one
// tablet denies every open from before its worker first probes (another
// program holds it), one holds every request without answering, here the
// clear-screen report of the quitting worker. The worker of the denied
// tablet retries its open once a second, without spinning.
TEST_F(Slideshow, QuitEndsPromptlyBesideDeniedAndHungTablets) {
    writeBitmap(picture(L"a.bmp"), 80, 60, 0xFF0000);
    const Tablet denied = plug("QEL40", rgb565);
    tablets_.fault(denied.slot, "deny-open");
    const Tablet hung = plug("QEL50 --bulk", bgrBulk);
    auto& console = start();
    ASSERT_TRUE(shows(hung, expected(picture(L"a.bmp"), hung)));

    const std::uint64_t cpuBefore = console.cpuMilliseconds();
    // A stretch of time in which the program must not spin: nothing to wait
    // for, only to measure.
    ::Sleep(3000);
    EXPECT_LT(console.cpuMilliseconds() - cpuBefore, 1500u)
        << "a failing open is not retried at once";

    tablets_.fault(hung.slot, "hang");
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(console.quit(), 0u) << console.output();
    EXPECT_LT(::GetTickCount() - start, 5000u) << console.output();
}
