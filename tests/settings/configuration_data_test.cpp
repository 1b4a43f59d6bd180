#include "settings/configuration_data.h"
#include "common/unique_handle.h"
#include "tests/support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <string>

using namespace Korva::QELD;

namespace {

// Each test works on a key of its own under HKLM, removed afterwards.
class ConfigurationDataTest : public ::testing::Test {
protected:
    std::wstring key(const wchar_t* subkey = nullptr) const { return sandbox_.path(subkey); }
    void setDword(const wchar_t* subkey, const wchar_t* name, DWORD value) {
        ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key(subkey).c_str(), name, REG_DWORD,
                                    &value, sizeof value),
                  ERROR_SUCCESS);
    }
    void setText(const wchar_t* subkey, const wchar_t* name, const std::wstring& text) {
        ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key(subkey).c_str(), name, REG_SZ,
                                    text.c_str(),
                                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    void createKey() {
        Korva::Win32::unique_hkey created;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key().c_str(), 0, nullptr, 0,
                                    KEY_ALL_ACCESS, nullptr, created.put(), nullptr),
                  ERROR_SUCCESS);
    }
    static ConfigurationFlags takeFlags(ConfigurationData& data) { return data.lock().takeFlags(); }
    // Waits for the watcher to raise flags after a change from outside;
    // generous, as this checks that it happens, not how fast.
    static ConfigurationFlags flagsAfterChange(ConfigurationData& data, DWORD timeout = 10000) {
        if (::WaitForSingleObject(data.flagsEvent(), timeout) != WAIT_OBJECT_0)
            return 0;
        return takeFlags(data);
    }

    const Korva::QELD::Test::RegistrySandbox sandbox_;
};

} // namespace

TEST_F(ConfigurationDataTest, MissingKeyFailsInit) {
    ConfigurationData data(key());
    EXPECT_FALSE(data.init());
}

TEST_F(ConfigurationDataTest, EmptyKeyReadsDefaultsAndRaisesBothFlags) {
    createKey();
    ConfigurationData data(key());
    ASSERT_TRUE(data.init());
    EXPECT_EQ(::WaitForSingleObject(data.flagsEvent(), 0), WAIT_OBJECT_0);
    auto lock = data.lock();
    EXPECT_EQ(lock.flags(), ConfigurationFlag_DeviceConfig | ConfigurationFlag_UpdateTime);
    EXPECT_EQ(lock.updateTime(), 3000u);
    ASSERT_EQ(lock.deviceConfigs().size(), 1u);
    EXPECT_EQ(lock.deviceConfigs().at(0), DeviceConfig{});
    EXPECT_EQ(::WaitForSingleObject(data.flagsEvent(), 0), WAIT_OBJECT_0)
        << "lock() keeps the event signalled while bits are pending";
    lock.takeFlags(ConfigurationFlag_UpdateTime);
    EXPECT_EQ(::WaitForSingleObject(data.flagsEvent(), 0), WAIT_OBJECT_0);
    lock.takeFlags();
    EXPECT_NE(::WaitForSingleObject(data.flagsEvent(), 0), WAIT_OBJECT_0);
}

TEST_F(ConfigurationDataTest, ReadsValuesWithTheirFallbacks) {
    setText(nullptr, L"Folder", L"C:\\Pictures");
    setDword(nullptr, L"Update Time", 10000);
    setDword(nullptr, L"Clip", 0x122);
    setText(nullptr, L"Border", L"1");
    setDword(nullptr, L"Scale", 0);
    setDword(L"QEL40", L"Scale", 2);
    setText(L"QEL20", L"Folder", L"D:\\Other\\");
    setDword(L"QEL20", L"Border", 1);
    ConfigurationData data(key());
    ASSERT_TRUE(data.init());
    auto lock = data.lock();
    EXPECT_EQ(lock.updateTime(), 10000u);
    const auto& configs = lock.deviceConfigs();
    ASSERT_EQ(configs.size(), 3u);
    EXPECT_EQ(configs.at(0), (DeviceConfig{0, 0, 0x22, true, u"C:\\Pictures/"}));
    EXPECT_EQ(configs.at(3), (DeviceConfig{0, 2, 0x11, true, u"C:\\Pictures/"}));
    EXPECT_EQ(configs.at(4), (DeviceConfig{1, 1, 0x11, false, u"D:\\Other\\"}));
}

TEST_F(ConfigurationDataTest, FolderOfOddOrTinySizeKeepsWhatIsWhole) {
    const char16_t odd[] = u"C:\\P";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key().c_str(), L"Folder", REG_SZ, odd, 9),
              ERROR_SUCCESS);
    ASSERT_EQ(
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key(L"QEL10").c_str(), L"Folder", REG_SZ, odd, 1),
        ERROR_SUCCESS);
    ConfigurationData data(key());
    ASSERT_TRUE(data.init());
    auto lock = data.lock();
    EXPECT_EQ(lock.deviceConfigs().at(0).folder, u"C:\\P/") << "only the odd byte is dropped";
    EXPECT_EQ(lock.deviceConfigs().at(1).folder, u"");
}

TEST_F(ConfigurationDataTest, WatcherFollowsChangesBelowTheKey) {
    setDword(L"QEL10", L"Scale", 0);
    ConfigurationData data(key());
    ASSERT_TRUE(data.init());
    takeFlags(data);

    setDword(L"QEL10", L"Scale", 2);
    EXPECT_EQ(flagsAfterChange(data), ConfigurationFlag_DeviceConfig);
    EXPECT_EQ(data.lock().deviceConfigs().at(1).scale, 2);

    setDword(nullptr, L"Update Time", 5000);
    EXPECT_EQ(flagsAfterChange(data), ConfigurationFlag_UpdateTime);

    ASSERT_EQ(::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key(L"QEL10").c_str()), ERROR_SUCCESS);
    EXPECT_EQ(flagsAfterChange(data), ConfigurationFlag_DeviceConfig);
    EXPECT_FALSE(data.lock().deviceConfigs().contains(1));
}

TEST_F(ConfigurationDataTest, RewritingTheSameContentRaisesNothing) {
    setDword(nullptr, L"Scale", 2);
    ConfigurationData data(key());
    ASSERT_TRUE(data.init());
    takeFlags(data);
    setDword(nullptr, L"Scale", 2);
    // A later real change proves the watcher had woken and re-read in between.
    setDword(nullptr, L"Clip", 0);
    EXPECT_EQ(flagsAfterChange(data), ConfigurationFlag_DeviceConfig);
    EXPECT_EQ(data.lock().deviceConfigs().at(0).clip, 0);
    EXPECT_NE(::WaitForSingleObject(data.flagsEvent(), 500), WAIT_OBJECT_0);
}

TEST_F(ConfigurationDataTest, SignalsRaiseTheirBitsAndTheEvent) {
    createKey();
    ConfigurationData data(key());
    data.signalSuspend();
    data.signalResume();
    data.signalDeviceChange();
    EXPECT_EQ(::WaitForSingleObject(data.flagsEvent(), 0), WAIT_OBJECT_0);
    data.signalQuit();
    EXPECT_EQ(takeFlags(data), ConfigurationFlag_Suspend | ConfigurationFlag_Resume |
                                   ConfigurationFlag_DeviceChange | ConfigurationFlag_Quit);
}

TEST_F(ConfigurationDataTest, DestroyingStopsTheWatcher) {
    createKey();
    for (int i = 0; i < 5; ++i) {
        ConfigurationData data(key());
        ASSERT_TRUE(data.init());
    }
}
