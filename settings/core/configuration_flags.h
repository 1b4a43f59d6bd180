#pragma once

#include <cstdint>

namespace Korva::QELD {

using ConfigurationFlags = std::uint64_t;

inline constexpr ConfigurationFlags ConfigurationFlag_DeviceConfig = 0x0001;
inline constexpr ConfigurationFlags ConfigurationFlag_UpdateTime = 0x0002;
inline constexpr ConfigurationFlags ConfigurationFlag_Suspend = 0x0200;
inline constexpr ConfigurationFlags ConfigurationFlag_Resume = 0x0400;
inline constexpr ConfigurationFlags ConfigurationFlag_DeviceChange = 0x0800;
// The system's clock or time zone changed: the campaigns check the date.
inline constexpr ConfigurationFlags ConfigurationFlag_TimeChange = 0x1000;
inline constexpr ConfigurationFlags ConfigurationFlag_Quit = 0x8000;

} // namespace Korva::QELD
