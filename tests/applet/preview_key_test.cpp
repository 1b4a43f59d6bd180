#include "applet/core/option_tables.h"
#include "applet/core/preview_key.h"

#include <gtest/gtest.h>

#include <map>

namespace Korva::QELD {
namespace {

std::map<PreviewKey, int> previewMap() {
    std::map<PreviewKey, int> map;
    const auto keys = previewSetKeys();
    for (int offset = 0; offset < previewSetSize; ++offset)
        EXPECT_TRUE(map.emplace(keys[offset], offset).second) << "offset " << offset;
    return map;
}

int offsetOf(const PreviewKey& key) {
    const auto map = previewMap();
    const auto found = map.find(key);
    return found == map.end() ? -1 : found->second;
}

TEST(PreviewKey, EveryOffsetHasItsOwnKey) {
    EXPECT_EQ(previewMap().size(), 22u);
}

TEST(PreviewKey, StretchIgnoresBorderAndPosition) {
    EXPECT_EQ(offsetOf({0x22, 1, sizeStretch}), 0);
    EXPECT_EQ(offsetOf(editPreviewKey(false, sizeStretch, 1, 0x22, 0)), 0);
}

TEST(PreviewKey, BestFitIgnoresThePosition) {
    EXPECT_EQ(offsetOf({0x22, 1, sizeBestFit}), 1);
    EXPECT_EQ(offsetOf({0x00, 0, sizeBestFit}), 11);
}

TEST(PreviewKey, OriginalSizeShowsEachAnchorOnEachBorder) {
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(offsetOf({PositionOptions[i].value, 1, sizeOriginal}), 2 + i);
        EXPECT_EQ(offsetOf({PositionOptions[i].value, 0, sizeOriginal}), 12 + i);
    }
    EXPECT_EQ(offsetOf({3, 0, sizeOriginal}), -1);
}

TEST(PreviewKey, AutoBorderShowsThePagesOwnBorder) {
    EXPECT_EQ(offsetOf(editPreviewKey(false, sizeBestFit, borderAutoValue, 0, 0)), 11);
    EXPECT_EQ(offsetOf(editPreviewKey(false, sizeBestFit, borderAutoValue, 0, 1)), 1);
    EXPECT_EQ(offsetOf(viewPreviewKey(sizeOriginal, borderAutoValue, 0x21, 1)), 9);
}

TEST(PreviewKey, GenericOrUnknownSizeShowsTheGreyedTablet) {
    EXPECT_EQ(offsetOf(editPreviewKey(true, sizeOriginal, 0, 0, 0)), 21);
    EXPECT_EQ(offsetOf(viewPreviewKey(-1, -1, -1, 0)), 21);
    EXPECT_EQ(offsetOf(editPreviewKey(false, -1, 0, 0, 0)), 21);
}

TEST(PreviewKey, PositionOnlyCountsForOriginalSize) {
    EXPECT_EQ(offsetOf(editPreviewKey(false, sizeBestFit, 1, 0x22, 0)), 1);
    EXPECT_EQ(offsetOf(editPreviewKey(false, sizeOriginal, 1, 0x22, 0)), 10);
}

} // namespace
} // namespace Korva::QELD
