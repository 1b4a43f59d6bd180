#pragma once

namespace Korva::QELD {

// "/install": registers the service and seeds its settings where absent.
// Returns the process exit code: 0, or 1359 on any failure.
int installService() noexcept;

// "/uninstall": deletes the service. Returns 0, or 1359 on any failure.
int uninstallService() noexcept;

} // namespace Korva::QELD
