#pragma once

#include <filesystem>
#include <string>

// What happens to a folder from outside Windows, as a drive or share that
// drops out looks to a program under Wine.
namespace Korva::QELD::Testing {

// The Linux path of a folder of the Wine prefix; empty outside Wine.
std::string unixPath(const std::filesystem::path& folder);

// Runs a shell command on the Linux side in a folder of the Wine prefix and
// returns whether it succeeded.
bool runUnix(const std::filesystem::path& folder, const std::string& command);

} // namespace Korva::QELD::Testing
