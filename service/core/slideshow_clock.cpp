#include "service/core/slideshow_clock.h"

namespace Korva::QELD {

std::uint32_t SlideshowClock::timeout(Clock::time_point now) const {
    if (!deadline_)
        return infinite;
    if (*deadline_ <= now)
        return 0;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline_ - now);
    // A wait of exactly "infinite" milliseconds would never end; one less is
    // as long as any interval the settings can hold.
    return left.count() >= infinite ? infinite - 1 : static_cast<std::uint32_t>(left.count());
}

void SlideshowClock::changeInterval(std::uint32_t interval) {
    interval = bounded(interval);
    if (deadline_) {
        const auto shift = static_cast<std::int32_t>(interval - interval_);
        *deadline_ += std::chrono::milliseconds(shift);
    }
    interval_ = interval;
}

} // namespace Korva::QELD
