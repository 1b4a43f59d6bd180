#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Korva::QELD {

enum class ProcessRole { Install, Uninstall, Service, Account, Status, Protect, Recovery, Console };

// Chooses the role from the whole command line by plain, case-sensitive
// substring search, program path included, in the order install, uninstall,
// service, account, status, protect, recovery. "/uninstall" never matches
// "/install": its slash is followed by "u". Each newer switch comes after the
// older ones so that no command line that worked before it existed changes
// its meaning.
ProcessRole processRole(std::u16string_view commandLine);

// Whether "/status" asks for JSON: the word "/json" after "/status". Only a
// word after the switch counts, so that a program path holding "/json"
// changes nothing.
bool statusAsJson(std::u16string_view commandLine);

// The account named by the word after "/account": "LocalService" or
// "NetworkService" in any case, as the full name the service control manager
// takes ("NT AUTHORITY\\NetworkService"); empty for any other word.
std::u16string serviceAccount(std::u16string_view commandLine);

struct ProtectArguments {
    std::u16string folder;
    std::vector<std::u16string> editors;
};

// "/protect "<pictures folder>" [group;group...]": the folder in double
// quotes, taken as it stands (a trailing "\" before the closing quote is
// part of the path), then the names of the groups that may edit the
// pictures, separated by ";". Empty when the quoted folder is missing.
std::optional<ProtectArguments> protectArguments(std::u16string_view commandLine);

enum class ConsoleCommand { Quit, Suspend, Resume, DeviceChange, Unknown };

// A console command is a whole line compared exactly.
ConsoleCommand consoleCommand(std::u16string_view line);

// The one-line reply the console writes for a command; empty for "q".
const char* consoleReply(ConsoleCommand command);

} // namespace Korva::QELD
