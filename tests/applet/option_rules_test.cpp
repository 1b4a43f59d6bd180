#include "applet/core/interval.h"
#include "applet/core/option_tables.h"
#include "applet/core/page_validation.h"
#include "applet/core/service_wait.h"
#include "applet/core/stored_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace Korva::QELD {
namespace {

TEST(StoredLayout, StretchLeavesBorderAndPositionUnread) {
    const auto layout = storedLayout(0u, 1u, 0x22u);
    EXPECT_EQ(layout.sizeIndex, 1u);
    EXPECT_FALSE(layout.borderIndex);
    EXPECT_FALSE(layout.positionIndex);
}

TEST(StoredLayout, MissingOrUnknownScaleShowsBestFitAndStillReadsTheRest) {
    for (const auto scale : {std::optional<std::uint32_t>{}, std::optional<std::uint32_t>{7}}) {
        const auto layout = storedLayout(scale, 0u, 0x20u);
        EXPECT_EQ(layout.sizeIndex, 0u);
        EXPECT_EQ(layout.borderIndex, 1u);
        EXPECT_EQ(layout.positionIndex, 6u);
    }
}

TEST(StoredLayout, UnknownBorderIsAutoAndUnknownClipIsMiddle) {
    const auto layout = storedLayout(2u, 5u, 3u);
    EXPECT_EQ(layout.sizeIndex, 2u);
    EXPECT_EQ(layout.borderIndex, 0u);
    EXPECT_EQ(layout.positionIndex, 4u);
    EXPECT_EQ(storedLayout(1u, std::nullopt, 0u).borderIndex, 0u);
    EXPECT_EQ(storedLayout(1u, 0u, std::nullopt).positionIndex, std::nullopt);
    EXPECT_EQ(storedLayout(1u, 0x7FFFFFFFu, 0x22u).positionIndex, 8u);
}

std::vector<std::uint8_t> bytesOf(std::u16string_view text) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    return {p, p + text.size() * 2};
}

TEST(StoredFolder, AcceptsTerminatedStringsOnly) {
    const auto good = bytesOf(std::u16string_view(u"C:\\Pics\0", 8));
    EXPECT_EQ(storedFolder(1, good.data(), good.size()), u"C:\\Pics");
    EXPECT_EQ(storedFolder(2, good.data(), good.size()), u"C:\\Pics");
    EXPECT_EQ(storedFolder(4, good.data(), good.size()), std::nullopt);
    const auto unterminated = bytesOf(u"C:\\Pics");
    EXPECT_EQ(storedFolder(1, unterminated.data(), unterminated.size()), std::nullopt);
    EXPECT_EQ(storedFolder(1, good.data(), good.size() - 1), std::nullopt);
    EXPECT_EQ(storedFolder(1, nullptr, 0), u"");
}

TEST(StoredInterval, MillisecondsBecomeWholeSeconds) {
    EXPECT_EQ(storedIntervalSeconds(2500u), 2u);
    EXPECT_EQ(storedIntervalSeconds(7000u), 7u);
    EXPECT_EQ(storedIntervalSeconds(std::nullopt), 5u);
}

TEST(TypedInterval, OutOfRangeNumbersAreCorrected) {
    EXPECT_EQ(correctedInterval(typedNumber(u"0")), 1);
    EXPECT_EQ(correctedInterval(typedNumber(u"999")), 600);
    EXPECT_EQ(correctedInterval(typedNumber(u"99999999999999999999")), 600);
    EXPECT_EQ(correctedInterval(typedNumber(u"600")), std::nullopt);
    EXPECT_EQ(correctedInterval(typedNumber(u"1")), std::nullopt);
    EXPECT_EQ(typedNumber(u"12x4"), 12);
}

PageChoices validModelPage() {
    PageChoices page;
    page.offersGeneric = true;
    page.folderEmpty = false;
    page.folderAccepted = true;
    page.size = sizeOriginal;
    page.border = 0;
    page.position = 0x11;
    return page;
}

TEST(PageValidation, RulesApplyInOrder) {
    auto page = validModelPage();
    EXPECT_EQ(validatePageChoices(page), 0u);
    page.position.reset();
    EXPECT_EQ(validatePageChoices(page), IDS_NO_POSITION);
    page.border.reset();
    EXPECT_EQ(validatePageChoices(page), IDS_NO_POSITION);
    page.position = 0;
    EXPECT_EQ(validatePageChoices(page), IDS_NO_BORDER);
    page.size = sizeBestFit;
    EXPECT_EQ(validatePageChoices(page), IDS_NO_BORDER);
    page.size = sizeStretch;
    EXPECT_EQ(validatePageChoices(page), 0u);
    page.size = 9;
    EXPECT_EQ(validatePageChoices(page), IDS_BAD_SIZE);
    page.size.reset();
    EXPECT_EQ(validatePageChoices(page), IDS_NO_SIZE);
    page.folderAccepted = false;
    EXPECT_EQ(validatePageChoices(page), IDS_FOLDER_REFUSED);
    page.folderEmpty = true;
    EXPECT_EQ(validatePageChoices(page), IDS_NO_FOLDER);
    page.useGeneric = true;
    EXPECT_EQ(validatePageChoices(page), 0u);
}

TEST(PageValidation, TheGenericPageIgnoresItsHiddenBox) {
    PageChoices page;
    page.useGeneric = true;
    EXPECT_EQ(validatePageChoices(page), IDS_NO_FOLDER);
}

TEST(ServiceWait, PausesStayWithinBounds) {
    EXPECT_EQ(pendingPause(0), 1000u);
    EXPECT_EQ(pendingPause(30000), 3000u);
    EXPECT_EQ(pendingPause(0xFFFFFFFF), 10000u);
    EXPECT_EQ(requestPause(0), 100u);
    EXPECT_EQ(requestPause(2000), 2000u);
    EXPECT_EQ(requestPause(0xFFFFFFFF), 10000u);
}

TEST(ServiceWait, TimeoutSurvivesTickWrap) {
    EXPECT_FALSE(serviceWaitExpired(1000, 31000));
    EXPECT_TRUE(serviceWaitExpired(1000, 31001));
    EXPECT_FALSE(serviceWaitExpired(0xFFFFF000, 0x1000));
    EXPECT_TRUE(serviceWaitExpired(0xFFFFF000, 30000));
}

} // namespace
} // namespace Korva::QELD
