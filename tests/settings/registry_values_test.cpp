#include "settings/core/registry_values.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Korva::QELD;

namespace {

std::vector<std::uint8_t> bytesOf(std::u16string_view text) {
    const auto* raw = reinterpret_cast<const std::uint8_t*>(text.data());
    return {raw, raw + text.size() * 2};
}

std::u16string folderOf(std::u16string_view text) {
    const auto bytes = bytesOf(text);
    return RegistryValues::folder(bytes.data(), bytes.size());
}

} // namespace

TEST(RegistryValues, FolderGetsOneSeparatorAndStopsAtNul) {
    EXPECT_EQ(folderOf(std::u16string_view(u"C:\\Pictures\0", 12)), u"C:\\Pictures/");
    EXPECT_EQ(folderOf(u"C:\\Pictures\\"), u"C:\\Pictures\\");
    EXPECT_EQ(folderOf(u"/srv/pictures/"), u"/srv/pictures/");
    EXPECT_EQ(folderOf(std::u16string_view(u"\0", 1)), u"");
    EXPECT_EQ(folderOf(u""), u"");
    // A multi-string value names its first string only.
    EXPECT_EQ(folderOf(std::u16string_view(u"a\0b\0\0", 5)), u"a/");
    // An odd byte count ignores the half character at the end.
    auto bytes = bytesOf(u"ab");
    bytes.push_back(0x41);
    EXPECT_EQ(RegistryValues::folder(bytes.data(), bytes.size()), u"ab/");
}

TEST(RegistryValues, DwordsCountOnlyAsFourByteDwords) {
    const std::uint8_t clip[] = {0x22, 0x01, 0, 0};
    EXPECT_EQ(RegistryValues::dword(registryTypeDword, clip, 4), 0x122u);
    EXPECT_FALSE(RegistryValues::dword(1, clip, 4)); // REG_SZ
    EXPECT_FALSE(RegistryValues::dword(3, clip, 4)); // REG_BINARY
    EXPECT_FALSE(RegistryValues::dword(registryTypeDword, clip, 2));
}

TEST(RegistryValues, UpdateTimeTakesAnyTypeOverTheDefault) {
    const std::uint8_t tenSeconds[] = {0x10, 0x27, 0, 0};
    EXPECT_EQ(RegistryValues::updateTime(tenSeconds, 4), 10000u);
    const std::uint8_t one[] = {0x01};
    EXPECT_EQ(RegistryValues::updateTime(one, 1), (3000u & ~0xFFu) | 1u);
    EXPECT_EQ(RegistryValues::updateTime(one, 0), 3000u);
}
