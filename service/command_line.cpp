#include "service/command_line.h"

namespace Korva::QELD {

ProcessRole processRole(std::u16string_view commandLine) {
    if (commandLine.find(u"/install") != std::u16string_view::npos)
        return ProcessRole::Install;
    if (commandLine.find(u"/uninstall") != std::u16string_view::npos)
        return ProcessRole::Uninstall;
    if (commandLine.find(u"/service") != std::u16string_view::npos)
        return ProcessRole::Service;
    if (commandLine.find(u"/status") != std::u16string_view::npos)
        return ProcessRole::Status;
    return ProcessRole::Console;
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
