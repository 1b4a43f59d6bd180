#pragma once

namespace Korva::QELD {

// Console mode: the diagnosis role of the service program. Runs the same
// settings object and main loop as the service, adds the notification window
// and a command loop on standard input. Never throws.
void console() noexcept;

} // namespace Korva::QELD
