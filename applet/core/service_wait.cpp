#include "applet/core/service_wait.h"

#include <algorithm>

namespace Korva::QELD {

std::uint32_t pendingPause(std::uint32_t waitHint) noexcept {
    return std::clamp<std::uint32_t>(waitHint / 10, 1000, 10000);
}

std::uint32_t requestPause(std::uint32_t waitHint) noexcept {
    return std::clamp<std::uint32_t>(waitHint, 100, 10000);
}

bool serviceWaitExpired(std::uint32_t startTick, std::uint32_t nowTick) noexcept {
    return static_cast<std::uint32_t>(nowTick - startTick) > serviceStateTimeout;
}

} // namespace Korva::QELD
