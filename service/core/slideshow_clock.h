#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace Korva::QELD {

// The main loop's timer: the slideshow interval and the deadline of the next
// tick, measured from a fixed point so that wakes for other reasons never
// stretch the interval.
class SlideshowClock {
public:
    using Clock = std::chrono::steady_clock;

    // An interval below this would make the loop re-upload to every tablet
    // without pause; hand-edited settings are held to it.
    static constexpr std::uint32_t shortestInterval = 1000;
    static constexpr std::uint32_t infinite = 0xFFFFFFFF;

    explicit SlideshowClock(std::uint32_t interval) : interval_(bounded(interval)) {}

    void start(Clock::time_point now) { deadline_ = now + std::chrono::milliseconds(interval_); }
    void stop() { deadline_.reset(); }
    bool running() const { return deadline_.has_value(); }
    std::uint32_t interval() const { return interval_; }

    // Milliseconds to wait from now: infinite without a deadline, 0 when due.
    std::uint32_t timeout(Clock::time_point now) const;

    // Moves a pending deadline by the signed difference of the two intervals.
    void changeInterval(std::uint32_t interval);

private:
    static std::uint32_t bounded(std::uint32_t interval) {
        return interval < shortestInterval ? shortestInterval : interval;
    }

    std::uint32_t interval_;
    std::optional<Clock::time_point> deadline_;
};

} // namespace Korva::QELD
