#include "service/core/slideshow_clock.h"

#include <gtest/gtest.h>

using namespace Korva::QELD;
using namespace std::chrono_literals;

namespace {
const SlideshowClock::Clock::time_point t0{};
}

TEST(SlideshowClock, WaitsFromAFixedDeadline) {
    SlideshowClock clock(3000);
    EXPECT_EQ(clock.timeout(t0), SlideshowClock::infinite);
    clock.start(t0);
    EXPECT_EQ(clock.timeout(t0 + 1000ms), 2000u);
    EXPECT_EQ(clock.timeout(t0 + 2999500us), 0u) << "whole milliseconds, rounded down";
    EXPECT_EQ(clock.timeout(t0 + 3000ms), 0u);
    EXPECT_EQ(clock.timeout(t0 + 5000ms), 0u);
    clock.stop();
    EXPECT_EQ(clock.timeout(t0 + 5000ms), SlideshowClock::infinite);
}

TEST(SlideshowClock, IntervalChangeMovesThePendingTick) {
    SlideshowClock clock(3000);
    clock.start(t0);
    clock.changeInterval(10000);
    EXPECT_EQ(clock.timeout(t0 + 1000ms), 9000u) << "due ten seconds after the last tick";
    clock.changeInterval(1500);
    EXPECT_EQ(clock.timeout(t0 + 2000ms), 0u) << "shorter than the time already gone: due now";
    SlideshowClock stopped(3000);
    stopped.changeInterval(5000);
    EXPECT_FALSE(stopped.running());
    stopped.start(t0);
    EXPECT_EQ(stopped.timeout(t0), 5000u);
}

TEST(SlideshowClock, TinyIntervalsAreHeldToOneSecond) {
    SlideshowClock clock(0);
    EXPECT_EQ(clock.interval(), 1000u);
    clock.start(t0);
    EXPECT_EQ(clock.timeout(t0), 1000u);
    clock.changeInterval(5);
    EXPECT_EQ(clock.timeout(t0), 1000u);
    clock.changeInterval(4000);
    EXPECT_EQ(clock.timeout(t0), 4000u) << "moved by the difference of the bounded values";
}
