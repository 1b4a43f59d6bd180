#include "tests/applet/registry_fixture.h"

#include "applet/applet_paths.h"

namespace Korva::QELD::Test {

Win32::RegistryKey openedKey(HKEY root, const std::wstring& path) {
    Win32::RegistryKey key;
    key.open(root, path, KEY_READ);
    return key;
}

Win32::RegistryKey createdKey(HKEY root, const std::wstring& path) {
    Win32::RegistryKey key;
    key.create(root, path, appletWriteAccess);
    return key;
}

void AppletRegistryTest::SetUp() {
    sandbox_.emplace();
    appletPaths().parametersKey = keyPath();
    appletPaths().windowStateKey = sandbox_->path(L"Window");
    appletPaths().serviceName = L"QELDTEST_NOT_INSTALLED";
    ASSERT_TRUE(createdKey(HKEY_LOCAL_MACHINE, keyPath()));
}

void AppletRegistryTest::TearDown() {
    sandbox_.reset();
}

std::wstring AppletRegistryTest::keyPath(const wchar_t* model) const {
    const auto parameters = sandbox_->path(L"Parameters");
    return model == nullptr ? parameters : parameters + L"\\" + model;
}

void AppletRegistryTest::setDword(const wchar_t* model, const wchar_t* name, DWORD value) {
    ASSERT_FALSE(writeDword(createdKey(HKEY_LOCAL_MACHINE, keyPath(model)).get(), name, value));
}

void AppletRegistryTest::setString(const wchar_t* model, const wchar_t* name,
                                   const std::wstring& text) {
    ASSERT_FALSE(
        Win32::writeString(createdKey(HKEY_LOCAL_MACHINE, keyPath(model)).get(), name, text));
}

std::optional<DWORD> AppletRegistryTest::dword(const wchar_t* model, const wchar_t* name) const {
    const auto key = openedKey(HKEY_LOCAL_MACHINE, keyPath(model));
    return key ? readDword(key.get(), name) : std::nullopt;
}

std::optional<std::wstring> AppletRegistryTest::string(const wchar_t* model,
                                                       const wchar_t* name) const {
    DWORD size = 0;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, keyPath(model).c_str(), name, RRF_RT_REG_SZ, nullptr,
                       nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, keyPath(model).c_str(), name, RRF_RT_REG_SZ, nullptr,
                       text.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    text.resize(text.find(L'\0'));
    return text;
}

bool AppletRegistryTest::keyExists(const wchar_t* model) const {
    return static_cast<bool>(openedKey(HKEY_LOCAL_MACHINE, keyPath(model)));
}

void AppletRegistryTest::deleteParameters() {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, keyPath().c_str());
}

} // namespace Korva::QELD::Test
