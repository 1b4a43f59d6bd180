#pragma once

#include <string_view>

namespace Korva::QELD {

enum class ProcessRole { Install, Uninstall, Service, Status, Console };

// Chooses the role from the whole command line by plain, case-sensitive
// substring search, program path included, in the order install, uninstall,
// service, status. "/uninstall" never matches "/install": its slash is
// followed by "u". "/status" comes last so that no command line that worked
// before it existed changes its meaning.
ProcessRole processRole(std::u16string_view commandLine);

enum class ConsoleCommand { Quit, Suspend, Resume, DeviceChange, Unknown };

// A console command is a whole line compared exactly.
ConsoleCommand consoleCommand(std::u16string_view line);

// The one-line reply the console writes for a command; empty for "q".
const char* consoleReply(ConsoleCommand command);

} // namespace Korva::QELD
