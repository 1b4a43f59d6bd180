#pragma once

#include <string>

namespace Korva::QELD {

// "/install": registers the service and seeds its settings where absent.
// Returns the process exit code: 0, or 1359 on any failure.
int installService() noexcept;

// "/account": runs the service under the given account (the full name), which
// takes effect at its next start. Returns 0, or 1359 on any failure, an empty
// name included.
int changeServiceAccount(const std::wstring& account) noexcept;

// "/uninstall": deletes the service. Returns 0, or 1359 on any failure.
int uninstallService() noexcept;

} // namespace Korva::QELD
