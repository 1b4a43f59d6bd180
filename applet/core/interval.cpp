#include "applet/core/interval.h"

namespace Korva::QELD {

std::int64_t typedNumber(std::u16string_view text) {
    constexpr std::int64_t ceiling = 1'000'000'000;
    std::int64_t value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9')
            break;
        value = value * 10 + (c - u'0');
        if (value > ceiling)
            return ceiling;
    }
    return value;
}

std::optional<std::int32_t> correctedInterval(std::int64_t typed) {
    if (typed < minIntervalSeconds)
        return minIntervalSeconds;
    if (typed > maxIntervalSeconds)
        return maxIntervalSeconds;
    return std::nullopt;
}

} // namespace Korva::QELD
