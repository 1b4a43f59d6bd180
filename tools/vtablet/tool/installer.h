#pragma once

#include <string>

namespace Korva::VTablet {

// Installs the drivers found in folder into the running system: copies the
// images, stages the INFs, creates the bus's root node and installs its
// driver. Harmless when the bus already runs.
void installDrivers(const std::wstring& folder);

// Removes the bus's root node, which takes every tablet with it.
void uninstallDrivers();

} // namespace Korva::VTablet
