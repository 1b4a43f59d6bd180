#include "slideshow/picture_failures.h"
#include "slideshow/picture/core/picture_errors.h"

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

namespace {

// A category named like the program's HRESULT one, whose messages are the
// system's: none for the imaging component's errors.
class HresultCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "HRESULT"; }
    std::string message(int value) const override { return "0x" + std::to_string(value); }
};

} // namespace

// Where the system has no text an administrator can act on, the report says
// what is wrong in words and keeps the number; the path has one separator.
TEST(PictureErrors, PlainWordsBesideTheNumberAndOnlyBackslashes) {
    using Korva::QELD::describePictureFailure;
    const HresultCategory hresult;
    const auto failure = [&](int value, const std::error_category& category) {
        return describePictureFailure(u"Z:\\shop\\pics/bomb.png",
                                      std::system_error(value, category, "Decode"));
    };
    const auto notPicture = failure(static_cast<int>(0x88982F50), hresult);
    EXPECT_EQ(pictureFailureText(notPicture),
              "The picture Z:\\shop\\pics\\bomb.png cannot be shown: not a picture Windows can "
              "read (error 0x88982F50)");
    EXPECT_EQ(failure(static_cast<int>(0x88982F61), hresult).problem,
              "the file is damaged or cut off");
    EXPECT_EQ(failure(static_cast<int>(0x80070005), hresult).problem,
              failure(5, std::system_category()).problem);
    EXPECT_EQ(failure(5, std::system_category()).number, "5");
    EXPECT_EQ(failure(static_cast<int>(0x88982F04), hresult).problem, "0x-2003292412")
        << "an error without words of its own keeps the system's text";
}
