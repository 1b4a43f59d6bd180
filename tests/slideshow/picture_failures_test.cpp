#include "slideshow/picture_failures.h"

#include <gtest/gtest.h>

using Korva::QELD::PictureFailures;
using Verdict = PictureFailures::Verdict;
using namespace std::chrono_literals;

TEST(PictureFailures, QuietForTenSecondsThenEachPictureAndErrorOnceUntilItRendersAgain) {
    PictureFailures failures;
    const auto t0 = PictureFailures::Clock::time_point{} + 1h;
    EXPECT_EQ(failures.failed(u"a.png", 32, t0), Verdict::Quiet) << "still being copied?";
    EXPECT_EQ(failures.failed(u"a.png", 5, t0 + 9s), Verdict::Quiet);
    EXPECT_EQ(failures.failed(u"a.png", 5, t0 + 10s), Verdict::Report);
    EXPECT_EQ(failures.failed(u"a.png", 5, t0 + 11s), Verdict::Reported);
    EXPECT_EQ(failures.failed(u"a.png", 87, t0 + 12s), Verdict::Report) << "another error is news";
    EXPECT_EQ(failures.failed(u"b.png", 5, t0 + 12s), Verdict::Quiet) << "b's own period";

    // A copy that completes within the period is never reported; a picture
    // that rendered and breaks later starts a new period.
    failures.rendered(u"b.png");
    EXPECT_EQ(failures.failed(u"b.png", 5, t0 + 30s), Verdict::Quiet);
    failures.rendered(u"a.png");
    EXPECT_EQ(failures.failed(u"a.png", 5, t0 + 30s), Verdict::Quiet);
    EXPECT_EQ(failures.failed(u"a.png", 5, t0 + 40s), Verdict::Report);
}

TEST(PictureFailures, MemoryOfRemovedFilesStaysBounded) {
    PictureFailures failures;
    const auto t0 = PictureFailures::Clock::time_point{} + 1h;
    EXPECT_EQ(failures.failed(u"gone-first", 5, t0), Verdict::Quiet);
    for (std::size_t i = 0; i < 10 * PictureFailures::remembered; ++i)
        failures.failed(u"gone-" + std::u16string(i / 26 + 1, char16_t(u'a' + i % 26)), 5, t0);
    EXPECT_EQ(failures.failed(u"gone-first", 5, t0 + 20s), Verdict::Quiet)
        << "the oldest were forgotten";
}
