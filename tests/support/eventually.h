#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

namespace Korva::QELD::Test {

// How long a test waits for a state before it fails. Generous, for a loaded
// machine running tests side by side under Wine: a test that passes never
// waits this long, and one that fails says what it waited for.
inline constexpr std::chrono::seconds waitBound{30};

// Checks the condition until it holds, for at most waitBound. The failure
// names what was awaited and how long the test waited for it:
//     ASSERT_TRUE(eventually("the tablet shows picture 2", [&] { ... }));
[[nodiscard]] testing::AssertionResult eventually(const std::string& what,
                                                  const std::function<bool()>& condition);

// The same with a bound of the test's own: only where the test checks a time
// the product promises (a tick within its interval, a folder listed again
// within its period).
[[nodiscard]] testing::AssertionResult eventuallyWithin(std::chrono::milliseconds bound,
                                                        const std::string& what,
                                                        const std::function<bool()>& condition);

} // namespace Korva::QELD::Test
