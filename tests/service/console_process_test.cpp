#include "service_program.h"

#include "qeld_version.h"
#include "settings/configuration_data.h"

#include <gtest/gtest.h>

namespace {

const std::string banner =
    QELD_PRODUCT_NAME "\nv" QELD_VERSION_TEXT "\n" QELD_COPYRIGHT ". All rights reserved.\n\n";

const std::string commandList = "console commands:\n"
                                "\tq\tquit\n"
                                "\ts\temulate suspend notification\n"
                                "\tr\temulate resume  notification\n"
                                "\td\temulate device  notification\n"
                                "\t(setUpdateTime & setDirectory tbd)\n";

class ConsoleMode : public ::testing::Test {
protected:
    void SetUp() override { deleteParametersKey(); }
    void TearDown() override { deleteParametersKey(); }

    static void seedParameters() {
        const DWORD interval = 3000;
        ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE,
                                    L"SYSTEM\\CurrentControlSet\\services\\QELDSVC\\Parameters",
                                    L"Update Time", REG_DWORD, &interval, sizeof interval),
                  ERROR_SUCCESS);
    }
};

} // namespace

TEST_F(ConsoleMode, WithoutParametersPrintsBannerAndNoConfiguration) {
    const auto result = runProcess(serviceProgram(), "s\n");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.output, banner + "No configuration data.\n");
}

TEST_F(ConsoleMode, AnswersEveryCommandAndQuits) {
    seedParameters();
    const auto result = runProcess(serviceProgram(), "s\nr\nd\n\nq \nQ\nq\nd\n");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.output, banner + commandList +
                                 ">emulating suspend notification\n"
                                 ">emulating resume notification\n"
                                 ">emulating device notification\n"
                                 ">unknown command\n"
                                 ">unknown command\n"
                                 ">unknown command\n"
                                 ">");
}

TEST_F(ConsoleMode, EndOfInputQuits) {
    seedParameters();
    const auto result = runProcess(serviceProgram(), "d\n");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.output, banner + commandList + ">emulating device notification\n>");
}

TEST_F(ConsoleMode, ServiceSwitchFromAConsoleFailsSilently) {
    const auto result = runProcess(serviceProgram() + L" /service");
    EXPECT_EQ(result.exitCode, static_cast<DWORD>(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT));
    EXPECT_EQ(result.output, "");
}

TEST_F(ConsoleMode, SettingsWatcherSeesAnotherProcessWritingTheKey) {
    seedParameters();
    Korva::QELD::ConfigurationData settings;
    ASSERT_TRUE(settings.init());
    settings.lock().takeFlags();
    const auto reg =
        runProcess(L"reg.exe add "
                   L"\"HKLM\\SYSTEM\\CurrentControlSet\\services\\QELDSVC\\Parameters\\QEL40\""
                   L" /v Scale /t REG_DWORD /d 2 /f");
    ASSERT_EQ(reg.exitCode, 0u) << reg.output;
    // Generous: this checks that the change arrives, not how fast.
    ASSERT_EQ(::WaitForSingleObject(settings.flagsEvent(), 10000), WAIT_OBJECT_0);
    auto lock = settings.lock();
    EXPECT_EQ(lock.flags(), Korva::QELD::ConfigurationFlag_DeviceConfig);
    EXPECT_EQ(lock.deviceConfigs().at(3).scale, 2);
}
