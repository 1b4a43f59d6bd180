#include "common/core/utf.h"

#include <gtest/gtest.h>

using Korva::utf16FromUtf8;
using Korva::utf8FromUtf16;

TEST(Utf, RoundTripsEveryPlane) {
    const std::u16string text = u"C:\\Bilder\\\u00e4\u20ac\U0001F600/";
    EXPECT_EQ(utf16FromUtf8(utf8FromUtf16(text)), text);
    EXPECT_EQ(utf8FromUtf16(u"\u00e4"), "\xc3\xa4");
}

TEST(Utf, BrokenInputBecomesReplacementCharacters) {
    EXPECT_EQ(utf8FromUtf16(std::u16string(1, char16_t(0xD800))), "\xef\xbf\xbd");
    EXPECT_EQ(utf8FromUtf16(std::u16string{char16_t(0xDC00), u'a'}), "\xef\xbf\xbd"
                                                                     "a");
    EXPECT_EQ(utf16FromUtf8("\xc0\xaf"), u"\uFFFD");     // overlong slash
    EXPECT_EQ(utf16FromUtf8("\xed\xa0\x80"), u"\uFFFD"); // encoded surrogate
    EXPECT_EQ(utf16FromUtf8("\xe2\x82"), u"\uFFFD");     // cut short at the end
    EXPECT_EQ(utf16FromUtf8("\xf5\x80\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
}

TEST(Utf, ArbitraryBytesNeverFault) {
    std::string bytes;
    for (int seed = 0; seed < 2000; ++seed) {
        bytes.assign(static_cast<size_t>(seed % 13), '\0');
        unsigned state = static_cast<unsigned>(seed) * 2654435761u;
        for (auto& b : bytes) {
            state = state * 1103515245u + 12345u;
            b = static_cast<char>(state >> 16);
        }
        const auto wide = utf16FromUtf8(bytes);
        EXPECT_EQ(utf16FromUtf8(utf8FromUtf16(wide)), wide);
    }
}
