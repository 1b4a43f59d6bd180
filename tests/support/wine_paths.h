#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace Korva::QELD::Test {

// A path of the build machine, as the build passes it, seen from Windows:
// Wine shows the Linux file system as drive Z.
std::wstring windowsPath(std::string_view unixPath);
std::wstring windowsPath(std::wstring_view unixPath);

// The Linux path of a file or folder of the Wine prefix; empty outside Wine.
std::string unixPath(const std::filesystem::path& path);

} // namespace Korva::QELD::Test
