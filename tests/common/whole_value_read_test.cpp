#include "common/core/whole_value_read.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace Korva::Win32;

namespace {

// A value that another process rewrites between every two queries: each query
// sees the next of the stored texts, the last one stays. Answers as the
// registry does: a buffer too small (or none) gets the size it needs.
struct RewrittenValue {
    std::vector<std::string> texts;
    int queries = 0;

    ValueQuery operator()(std::uint8_t* data, std::uint32_t& size, std::uint32_t& type) {
        const std::string& text = texts[std::min<std::size_t>(queries++, texts.size() - 1)];
        type = static_cast<std::uint32_t>(text.size());
        const bool fits = data != nullptr && size >= text.size();
        size = static_cast<std::uint32_t>(text.size());
        if (!fits)
            return data == nullptr ? ValueQuery::Read : ValueQuery::MoreData;
        std::memcpy(data, text.data(), text.size());
        return ValueQuery::Read;
    }
};

std::string text(const std::optional<RegistryValue>& value) {
    return value ? std::string(value->bytes.begin(), value->bytes.end()) : "(none)";
}

} // namespace

TEST(WholeValueRead, ValueRewrittenWhileReadIsReadWholeOrNotAtAll) {
    RewrittenValue grown{{"ab", "abcdef"}};
    const auto afterGrowing = readWholeValue(std::ref(grown));
    EXPECT_EQ(text(afterGrowing), "abcdef") << "asked for again with its new size";
    EXPECT_EQ(afterGrowing->type, 6u) << "the type of the read that succeeded";

    RewrittenValue shrunk{{"abcdef", "ab"}};
    EXPECT_EQ(text(readWholeValue(std::ref(shrunk))), "ab") << "no bytes left over from the size";

    // Each text longer than the last: the read never catches up, and gives up.
    RewrittenValue growing;
    for (int length = 1; length <= 2 * valueQueryAttempts; ++length)
        growing.texts.push_back(std::string(static_cast<std::size_t>(length), 'x'));
    EXPECT_EQ(readWholeValue(std::ref(growing)), std::nullopt);
    EXPECT_EQ(growing.queries, valueQueryAttempts);
}
