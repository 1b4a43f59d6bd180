#include "service/core/command_line.h"

#include <algorithm>

namespace Korva::QELD {
namespace {

constexpr std::u16string_view accountSwitch = u"/account";
constexpr std::u16string_view statusSwitch = u"/status";
constexpr std::u16string_view protectSwitch = u"/protect";

bool equalIgnoringCase(std::u16string_view a, std::u16string_view b) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

} // namespace

ProcessRole processRole(std::u16string_view commandLine) {
    if (commandLine.find(u"/install") != std::u16string_view::npos)
        return ProcessRole::Install;
    if (commandLine.find(u"/uninstall") != std::u16string_view::npos)
        return ProcessRole::Uninstall;
    if (commandLine.find(u"/service") != std::u16string_view::npos)
        return ProcessRole::Service;
    if (commandLine.find(accountSwitch) != std::u16string_view::npos)
        return ProcessRole::Account;
    if (commandLine.find(statusSwitch) != std::u16string_view::npos)
        return ProcessRole::Status;
    if (commandLine.find(protectSwitch) != std::u16string_view::npos)
        return ProcessRole::Protect;
    if (commandLine.find(u"/recovery") != std::u16string_view::npos)
        return ProcessRole::Recovery;
    return ProcessRole::Console;
}

bool statusAsJson(std::u16string_view commandLine) {
    const auto status = commandLine.find(statusSwitch);
    if (status == std::u16string_view::npos)
        return false;
    std::u16string_view rest = commandLine.substr(status + statusSwitch.size());
    while (!rest.empty()) {
        rest.remove_prefix(std::min(rest.find_first_not_of(u' '), rest.size()));
        const std::u16string_view word = rest.substr(0, rest.find(u' '));
        if (word == u"/json")
            return true;
        rest.remove_prefix(word.size());
    }
    return false;
}

std::u16string serviceAccount(std::u16string_view commandLine) {
    std::u16string_view rest =
        commandLine.substr(commandLine.find(accountSwitch) + accountSwitch.size());
    rest.remove_prefix(std::min(rest.find_first_not_of(u' '), rest.size()));
    const std::u16string_view word = rest.substr(0, rest.find(u' '));
    for (const char16_t* account : {u"LocalService", u"NetworkService"}) {
        if (equalIgnoringCase(word, account))
            return std::u16string(u"NT AUTHORITY\\") + account;
    }
    return {};
}

std::optional<ProtectArguments> protectArguments(std::u16string_view commandLine) {
    std::u16string_view rest =
        commandLine.substr(commandLine.find(protectSwitch) + protectSwitch.size());
    rest.remove_prefix(std::min(rest.find_first_not_of(u' '), rest.size()));
    const std::size_t close = rest.find(u'"', 1);
    if (rest.empty() || rest.front() != u'"' || close == std::u16string_view::npos || close == 1)
        return std::nullopt;
    ProtectArguments arguments{std::u16string(rest.substr(1, close - 1)), {}};
    rest.remove_prefix(close + 1);
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find(u';'), rest.size());
        std::u16string_view name = rest.substr(0, end);
        name.remove_prefix(std::min(name.find_first_not_of(u' '), name.size()));
        name.remove_suffix(name.size() - std::min(name.find_last_not_of(u' ') + 1, name.size()));
        if (!name.empty())
            arguments.editors.emplace_back(name);
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return arguments;
}

ConsoleCommand consoleCommand(std::u16string_view line) {
    if (line == u"q")
        return ConsoleCommand::Quit;
    if (line == u"s")
        return ConsoleCommand::Suspend;
    if (line == u"r")
        return ConsoleCommand::Resume;
    if (line == u"d")
        return ConsoleCommand::DeviceChange;
    return ConsoleCommand::Unknown;
}

const char* consoleReply(ConsoleCommand command) {
    switch (command) {
    case ConsoleCommand::Quit:
        return "";
    case ConsoleCommand::Suspend:
        return "emulating suspend notification";
    case ConsoleCommand::Resume:
        return "emulating resume notification";
    case ConsoleCommand::DeviceChange:
        return "emulating device notification";
    case ConsoleCommand::Unknown:
        break;
    }
    return "unknown command";
}

} // namespace Korva::QELD
