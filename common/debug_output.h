#pragma once

namespace Korva::Win32 {

// Writes a diagnostic line to the debugger output channel. Diagnostics that
// are not failures go there and nowhere else.
void debugOutput(const wchar_t* text) noexcept;

} // namespace Korva::Win32
