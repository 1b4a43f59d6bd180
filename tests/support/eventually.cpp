#include "tests/support/eventually.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace Korva::QELD::Test {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A check that runs a program (the status query, the virtual tablet's tool)
// takes a good part of a second under load: pausing as long as the last check
// took keeps such a wait to half a processor, while a cheap check is repeated
// every few milliseconds.
milliseconds pauseAfter(Clock::duration check) {
    return std::clamp(std::chrono::duration_cast<milliseconds>(check), milliseconds(10),
                      milliseconds(250));
}

std::string seconds(Clock::duration waited) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s",
                  std::chrono::duration_cast<milliseconds>(waited).count() / 1000.0);
    return text;
}

} // namespace

testing::AssertionResult eventually(const std::string& what,
                                    const std::function<bool()>& condition) {
    return eventuallyWithin(waitBound, what, condition);
}

testing::AssertionResult eventuallyWithin(milliseconds bound, const std::string& what,
                                          const std::function<bool()>& condition) {
    const Clock::time_point start = Clock::now();
    for (int checks = 1;; ++checks) {
        const Clock::time_point checked = Clock::now();
        if (condition())
            return testing::AssertionSuccess();
        const Clock::time_point now = Clock::now();
        if (now - start >= bound)
            return testing::AssertionFailure() << "waited " << seconds(now - start) << " ("
                                               << checks << " checks) for " << what;
        ::Sleep(static_cast<DWORD>(pauseAfter(now - checked).count()));
    }
}

} // namespace Korva::QELD::Test
