#pragma once

#include <cstdint>

namespace Korva::QELD {

// How long the applet waits for the service to reach a state, in total.
inline constexpr std::uint32_t serviceStateTimeout = 30000;

// The pause between status queries while the service is already on its way
// to the state: a tenth of its wait hint, within one and ten seconds.
std::uint32_t pendingPause(std::uint32_t waitHint) noexcept;

// The pause between status queries after the applet's own request: the wait
// hint, within a tenth of a second and ten seconds, so that a hint of 0 does
// not spin and a huge one does not outlast the timeout.
std::uint32_t requestPause(std::uint32_t waitHint) noexcept;

// True when more than the timeout has passed between two tick counts; the
// tick counter may wrap between them.
bool serviceWaitExpired(std::uint32_t startTick, std::uint32_t nowTick) noexcept;

} // namespace Korva::QELD
