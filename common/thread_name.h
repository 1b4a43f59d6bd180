#pragma once

namespace Korva::Win32 {

// Names the calling thread for debuggers; never fails and has no effect when
// no debugger listens.
void setThreadName(const char* name) noexcept;

} // namespace Korva::Win32
