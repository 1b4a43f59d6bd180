#pragma once

#include <filesystem>
#include <string>

namespace Korva::QELD::Test {

// Runs a shell command on the Linux side in a folder of the Wine prefix and
// returns whether it succeeded: what happens to a folder from outside
// Windows, as a drive or share that drops out looks to a program under Wine.
bool runUnix(const std::filesystem::path& folder, const std::string& command);

} // namespace Korva::QELD::Test
