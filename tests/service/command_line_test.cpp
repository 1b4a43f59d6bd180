#include "service/core/command_line.h"

#include <gtest/gtest.h>

using namespace Korva::QELD;

TEST(ProcessRole, FirstMatchingSwitchAnywhereInTheLineWins) {
    EXPECT_EQ(processRole(u"qeldsvc.exe"), ProcessRole::Console);
    EXPECT_EQ(processRole(u"\"C:\\x\\qeldsvc.exe\" /service"), ProcessRole::Service);
    EXPECT_EQ(processRole(u"qeldsvc /uninstall"), ProcessRole::Uninstall);
    EXPECT_EQ(processRole(u"qeldsvc /uninstall /service"), ProcessRole::Uninstall);
    EXPECT_EQ(processRole(u"qeldsvc /service /install"), ProcessRole::Install);
    EXPECT_EQ(processRole(u"C:\\a/installer\\qeldsvc.exe"), ProcessRole::Install)
        << "the program path takes part in the search";
    EXPECT_EQ(processRole(u"qeldsvc /INSTALL"), ProcessRole::Console);
    EXPECT_EQ(processRole(u"qeldsvc /status"), ProcessRole::Status);
    EXPECT_EQ(processRole(u"qeldsvc /status /service"), ProcessRole::Service)
        << "the status switch is looked for after the others";
    EXPECT_EQ(processRole(u"qeldsvc /recovery"), ProcessRole::Recovery);
    EXPECT_EQ(processRole(u"qeldsvc /status /recovery"), ProcessRole::Status);
}

TEST(ProcessRole, JsonIsAWordAfterTheStatusSwitch) {
    EXPECT_TRUE(statusAsJson(u"qeldsvc.exe /status /json"));
    EXPECT_TRUE(statusAsJson(u"qeldsvc.exe /status  x /json"));
    for (const auto* line : {u"qeldsvc.exe /status", u"C:/json/qeldsvc.exe /status",
                             u"qeldsvc.exe /status /jsonx", u"qeldsvc.exe /json"})
        EXPECT_FALSE(statusAsJson(line)) << "a line that printed text must go on printing text";
    EXPECT_EQ(processRole(u"qeldsvc.exe /json"), ProcessRole::Console);
}

TEST(ServiceAccount, OnlyTheTwoBuiltInServiceAccountsAreNamed) {
    EXPECT_EQ(processRole(u"\"C:\\x\\qeldsvc.exe\" /account NetworkService"), ProcessRole::Account);
    EXPECT_EQ(serviceAccount(u"qeldsvc /account networkservice"), u"NT AUTHORITY\\NetworkService");
    EXPECT_EQ(serviceAccount(u"qeldsvc /account  LocalService "), u"NT AUTHORITY\\LocalService");
    for (const auto* line : {u"qeldsvc /account", u"qeldsvc /account LocalSystem",
                             u"qeldsvc /account NetworkServiceX", u"qeldsvc /account \"\""})
        EXPECT_EQ(serviceAccount(line), u"") << "an unknown account must not pass";
}

// The installer passes the folder as it resolved it, ending in a backslash, and the
// groups as the administrator typed them.
TEST(ProtectArguments, QuotedFolderThenGroupsSeparatedBySemicolons) {
    const auto arguments = protectArguments(u"\"C:\\x\\qeldsvc.exe\" /protect \"C:\\Public "
                                            u"Pictures\\\" Picture Editors; BRANCH\\Marketing ;");
    ASSERT_TRUE(arguments);
    EXPECT_EQ(arguments->folder, u"C:\\Public Pictures\\");
    EXPECT_EQ(arguments->editors,
              (std::vector<std::u16string>{u"Picture Editors", u"BRANCH\\Marketing"}));
    EXPECT_TRUE(protectArguments(u"qeldsvc /protect \"D:\\p\"")->editors.empty());
    for (const auto* line : {u"qeldsvc /protect", u"qeldsvc /protect C:\\p",
                             u"qeldsvc /protect \"\"", u"qeldsvc /protect \"C:\\p"})
        EXPECT_FALSE(protectArguments(line)) << "a folder must be named in quotes";
}

TEST(ConsoleCommand, OnlyExactLowerCaseLinesAreCommands) {
    EXPECT_EQ(consoleCommand(u"q"), ConsoleCommand::Quit);
    EXPECT_EQ(consoleCommand(u"s"), ConsoleCommand::Suspend);
    EXPECT_EQ(consoleCommand(u"r"), ConsoleCommand::Resume);
    EXPECT_EQ(consoleCommand(u"d"), ConsoleCommand::DeviceChange);
    for (const auto* line : {u"", u"q ", u"Q", u" q", u"qq", u"d\r"})
        EXPECT_EQ(consoleCommand(line), ConsoleCommand::Unknown);
    EXPECT_STREQ(consoleReply(ConsoleCommand::Unknown), "unknown command");
    EXPECT_STREQ(consoleReply(ConsoleCommand::Quit), "");
}
