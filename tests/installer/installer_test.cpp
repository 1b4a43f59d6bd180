#include "product_state.h"

#include "common/unique_handle.h"
#include "tests/support/temporary_file.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>
#include <string>

using namespace ProductState;

namespace {

const std::wstring publicFolder = L"\\Zelqa QEL Display pictures\\";

class Installer : public ::testing::Test {
protected:
    void SetUp() override { removeEverything(); }
    void TearDown() override { removeEverything(); }

    static std::wstring program(const wchar_t* name) { return installFolder() + L"\\" + name; }

    static std::wstring picturesFolder() {
        return text(parametersKey, L"Folder").value_or(L"<absent>");
    }
};

// The text the event viewer shows for an id, from the registered message file.
std::wstring renderedMessage(const std::wstring& messageFile, DWORD id) {
    const Korva::Win32::unique_module module(
        ::LoadLibraryExW(messageFile.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    wchar_t text[256] = {};
    ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, module.get(), id,
                     0, text, 256, nullptr);
    return text;
}

// The log's text without regard to its encoding: the ASCII characters of a
// UTF-16 log come out as they are.
std::string logText(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::erase(text, '\0');
    return text;
}

std::string narrow(const std::wstring& ascii) {
    return std::string(ascii.begin(), ascii.end());
}

void expectRegisteredServiceRunning() {
    const ServiceState state = service();
    ASSERT_TRUE(state.registered);
    EXPECT_EQ(state.serviceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(state.startType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(state.displayName, L"Zelqa QEL Display");
    EXPECT_EQ(state.description, L"Displays a slideshow of images on your Zelqa QEL tablet");
    EXPECT_EQ(state.account, L"NT AUTHORITY\\LocalService");
    EXPECT_EQ(state.commandLine, L"\"" + installFolder() + L"\\qeldsvc.exe\" /service")
        << "the program path has spaces and must be quoted";
    EXPECT_EQ(state.currentState, static_cast<DWORD>(SERVICE_RUNNING));
}

} // namespace

TEST_F(Installer, InstallRegistersEverythingAndUninstallRemovesIt) {
    ASSERT_EQ(msiexec(L"/i", NEWER_MSI), 0u);

    for (const wchar_t* name : {L"qeldsvc.exe", L"qeldcpl.dll", L"qeldcfg.exe"})
        EXPECT_TRUE(exists(program(name))) << name;
    expectRegisteredServiceRunning();
    EXPECT_EQ(number(parametersKey, L"Update Time"), 3000u);
    const std::wstring pictures = picturesFolder();
    ASSERT_GT(pictures.size(), publicFolder.size());
    EXPECT_EQ(pictures.substr(pictures.size() - publicFolder.size()), publicFolder);
    EXPECT_TRUE(exists(pictures)) << "the seeded folder must exist";

    const auto messageFile = expandableText(eventSourceKey, L"EventMessageFile");
    EXPECT_EQ(messageFile, program(L"qeldsvc.exe"));
    EXPECT_EQ(number(eventSourceKey, L"TypesSupported"), 7u);
    EXPECT_EQ(renderedMessage(messageFile.value_or(L""), 0x40000006),
              L"The device has been removed\r\n");
    EXPECT_EQ(text(controlPanelKey, L"QEL Display"), program(L"qeldcpl.dll"));
    const std::wstring shortcut = startMenuShortcut();
    EXPECT_TRUE(exists(shortcut));

    ASSERT_EQ(msiexec(L"/x", NEWER_MSI), 0u);

    EXPECT_FALSE(service().registered);
    EXPECT_FALSE(number(parametersKey, L"Update Time")) << "settings go with the service";
    EXPECT_FALSE(exists(installFolder()));
    EXPECT_FALSE(exists(vendorFolder())) << "the empty vendor folder goes too";
    EXPECT_FALSE(::RegGetValueW(HKEY_LOCAL_MACHINE, eventSourceKey, nullptr, RRF_RT_ANY, nullptr,
                                nullptr, nullptr) == ERROR_SUCCESS);
    EXPECT_FALSE(text(controlPanelKey, L"QEL Display"));
    EXPECT_FALSE(exists(shortcut));
    EXPECT_FALSE(exists(pictures)) << "an empty pictures folder goes";
    EXPECT_TRUE(installedProducts().empty());
}

TEST_F(Installer, InstallKeepsExistingSettingsAndUninstallKeepsPictures) {
    setText(parametersKey, L"Folder", L"C:\\mine\\");
    setNumber(parametersKey, L"Update Time", 7000);

    ASSERT_EQ(msiexec(L"/i", NEWER_MSI), 0u);
    EXPECT_EQ(picturesFolder(), L"C:\\mine\\");
    EXPECT_EQ(number(parametersKey, L"Update Time"), 7000u);
    expectRegisteredServiceRunning();

    // The default folder exists whatever the settings name, and holds the
    // user's pictures once they are put there.
    wchar_t publicPictures[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_COMMON_PICTURES, nullptr, 0, publicPictures);
    const std::wstring picture = publicPictures + publicFolder + L"holiday.png";
    std::ofstream(picture.c_str()) << "picture";
    ASSERT_TRUE(exists(picture));

    ASSERT_EQ(msiexec(L"/x", NEWER_MSI), 0u);
    EXPECT_FALSE(service().registered);
    EXPECT_TRUE(exists(picture)) << "uninstalling must not delete the user's pictures";
    ::DeleteFileW(picture.c_str());
    ::RemoveDirectoryW((publicPictures + publicFolder).c_str());
}

TEST_F(Installer, UpgradeKeepsSettingsAndTheRunningService) {
    ASSERT_EQ(msiexec(L"/i", OLDER_MSI), 0u);
    const std::wstring model = std::wstring(parametersKey) + L"\\QEL40";
    setText(parametersKey, L"Folder", L"C:\\mine\\");
    setNumber(parametersKey, L"Update Time", 7000);
    setNumber(model.c_str(), L"Scale", 2);

    ASSERT_EQ(msiexec(L"/i", NEWER_MSI), 0u);

    const auto products = installedProducts();
    ASSERT_EQ(products.size(), 1u) << "the older version is removed";
    EXPECT_EQ(installedVersion(products.front()), NEWER_VERSION);
    EXPECT_EQ(picturesFolder(), L"C:\\mine\\");
    EXPECT_EQ(number(parametersKey, L"Update Time"), 7000u);
    EXPECT_EQ(number(model.c_str(), L"Scale"), 2u);
    expectRegisteredServiceRunning();
    EXPECT_TRUE(exists(program(L"qeldsvc.exe")));
    EXPECT_EQ(text(controlPanelKey, L"QEL Display"), program(L"qeldcpl.dll"));
}

TEST_F(Installer, SettingsGivenAsPropertiesAreWrittenAsTheDialogWritesThem) {
    ASSERT_EQ(msiexec(L"/i", NEWER_MSI,
                      L"PICTURESFOLDER=\\\\server\\share\\pictures UPDATETIME=10 "
                      L"SCALE=\"original size\" BORDER=White POSITION=\"Bottom Right\" "
                      L"SERVICEACCOUNT=NetworkService PICTUREEDITORS=Guests"),
              0u);

    EXPECT_EQ(picturesFolder(), L"\\\\server\\share\\pictures\\") << "gets its separator";
    EXPECT_EQ(number(parametersKey, L"Update Time"), 10000u);
    EXPECT_EQ(number(parametersKey, L"Scale"), 2u);
    EXPECT_EQ(number(parametersKey, L"Border"), 1u);
    EXPECT_EQ(number(parametersKey, L"Clip"), 0x22u);
    const ServiceState state = service();
    EXPECT_EQ(state.account, L"NT AUTHORITY\\NetworkService");
    EXPECT_EQ(state.currentState, static_cast<DWORD>(SERVICE_RUNNING));
}

// An upgrade changes exactly the settings given to it: the values the older
// product wrote from its own properties stay, although it is removed.
TEST_F(Installer, UpgradeChangesOnlyTheSettingsGivenToIt) {
    ASSERT_EQ(msiexec(L"/i", OLDER_MSI,
                      L"PICTURESFOLDER=C:/mine UPDATETIME=5 SCALE=Stretch BORDER=black "
                      L"POSITION=top SERVICEACCOUNT=NetworkService"),
              0u);
    EXPECT_EQ(picturesFolder(), L"C:\\mine\\") << "slashes are taken as separators";
    EXPECT_EQ(number(parametersKey, L"Border"), 0u);

    ASSERT_EQ(msiexec(L"/i", NEWER_MSI, L"UPDATETIME=600 BORDER=Auto"), 0u);

    ASSERT_EQ(installedProducts().size(), 1u);
    EXPECT_EQ(number(parametersKey, L"Update Time"), 600000u);
    EXPECT_FALSE(number(parametersKey, L"Border")) << "\"Auto\" is stored by deleting the value";
    EXPECT_EQ(picturesFolder(), L"C:\\mine\\");
    EXPECT_EQ(number(parametersKey, L"Scale"), 0u);
    EXPECT_EQ(number(parametersKey, L"Clip"), 0x01u);
    EXPECT_EQ(service().account, L"NT AUTHORITY\\NetworkService");
}

// A wrong value ends the upgrade before anything changes, and the log says
// which property was wrong.
TEST_F(Installer, InvalidSettingFailsEarlyAndChangesNothing) {
    ASSERT_EQ(msiexec(L"/i", OLDER_MSI, L"UPDATETIME=7"), 0u);
    const std::wstring folder = picturesFolder();
    const Korva::QELD::Test::TemporaryFile logFile(L"qeld-invalid-setting", L".log");
    const std::wstring& log = logFile.path();

    for (const wchar_t* property :
         {L"UPDATETIME=0", L"UPDATETIME=601", L"UPDATETIME=1.5", L"UPDATETIME=ten", L"SCALE=Fit",
          L"BORDER=Grey", L"POSITION=Centre", L"PICTURESFOLDER=pictures",
          L"PICTURESFOLDER=C:\\Pics\\*", L"PICTURESFOLDER=C:\\Pics|x", L"PICTURESFOLDER=\\\\server",
          L"SERVICEACCOUNT=LocalSystem"}) {
        SCOPED_TRACE(property);
        ::DeleteFileW(log.c_str());
        EXPECT_EQ(msiexec(L"/i", NEWER_MSI, std::wstring(property) + L" /l*v \"" + log + L"\""),
                  static_cast<DWORD>(ERROR_INSTALL_FAILURE));
        const std::wstring name =
            std::wstring(property).substr(0, std::wstring(property).find(L'='));
        EXPECT_NE(logText(log).find("Invalid " + narrow(name)), std::string::npos);
        const auto products = installedProducts();
        ASSERT_EQ(products.size(), 1u);
        EXPECT_NE(installedVersion(products.front()), NEWER_VERSION);
        EXPECT_EQ(number(parametersKey, L"Update Time"), 7000u);
        EXPECT_EQ(picturesFolder(), folder);
        EXPECT_FALSE(number(parametersKey, L"Scale"));
        EXPECT_EQ(service().account, L"NT AUTHORITY\\LocalService");
    }
    ::DeleteFileW(log.c_str());
}

// The first package fails right after the service is registered; the second
// when the folder rights name a group that does not exist.
TEST_F(Installer, FailedInstallLeavesNoServiceBehind) {
    for (const auto& [package, arguments] :
         {std::pair{FAILING_MSI, L""}, std::pair{NEWER_MSI, L"PICTUREEDITORS=\"No Such Group\""}}) {
        SCOPED_TRACE(arguments);
        EXPECT_NE(msiexec(L"/i", package, arguments), 0u);
        EXPECT_FALSE(service().registered)
            << "a service must not stay registered for a program that is gone";
        EXPECT_FALSE(exists(installFolder()));
        EXPECT_TRUE(installedProducts().empty());
    }
}
