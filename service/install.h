#pragma once

#include "service/core/command_line.h"

#include <optional>
#include <string>

namespace Korva::QELD {

// "/install": registers the service and seeds its settings where absent.
// Returns the process exit code: 0, or 1359 on any failure.
int installService() noexcept;

// "/account": runs the service under the given account (the full name), which
// takes effect at its next start. Returns 0, or 1359 on any failure, an empty
// name included.
int changeServiceAccount(const std::wstring& account) noexcept;

// "/protect": declares the service's least privilege, creates the local-copy
// folder and gives the pictures folder its rights (see folder_protection.h).
// Returns 0, or 1359 on any failure, missing arguments included.
int protectInstallation(const std::optional<ProtectArguments>& arguments) noexcept;

// "/uninstall": deletes the service. Returns 0, or 1359 on any failure.
int uninstallService() noexcept;

} // namespace Korva::QELD
