#pragma once

namespace Korva::QELD {

// Console mode: the diagnosis role of the service program. Runs the same
// settings object and main loop as the service, adds the notification window
// and a command loop on standard input. Never throws; returns the process's
// exit code, 1 when the console or its main loop failed.
int console() noexcept;

} // namespace Korva::QELD
