#pragma once

namespace Korva::Win32 {

// Lowers the process to medium integrity. Raises a system error on failure,
// except on systems without integrity levels, where it does nothing.
void reducePrivileges();

} // namespace Korva::Win32
