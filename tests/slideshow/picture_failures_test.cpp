#include "slideshow/picture_failures.h"

#include <gtest/gtest.h>

using Korva::QELD::PictureFailures;

TEST(PictureFailures, ReportsEachPictureAndErrorOnceUntilItRendersAgain) {
    PictureFailures failures;
    EXPECT_TRUE(failures.firstFailure(u"a.png", 5));
    EXPECT_FALSE(failures.firstFailure(u"a.png", 5));
    EXPECT_TRUE(failures.firstFailure(u"a.png", 32)) << "another error is news";
    EXPECT_TRUE(failures.firstFailure(u"b.png", 5));
    failures.rendered(u"a.png");
    EXPECT_TRUE(failures.firstFailure(u"a.png", 5));
    EXPECT_FALSE(failures.firstFailure(u"b.png", 5));
}

TEST(PictureFailures, MemoryOfRemovedFilesStaysBounded) {
    PictureFailures failures;
    for (std::size_t i = 0; i < 10 * PictureFailures::remembered; ++i)
        failures.firstFailure(u"gone-" + std::u16string(1, char16_t(u'a' + i % 26)) +
                                  std::u16string(i / 26 + 1, u'x'),
                              5);
    EXPECT_TRUE(failures.firstFailure(u"gone-ax", 5)) << "the oldest were forgotten";
}
