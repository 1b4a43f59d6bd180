#pragma once

#include "common/registry_key.h"
#include "tests/support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace Korva::QELD::Test {

using Win32::readDword;
using Win32::writeDword;

// A key opened for reading, or created or opened with the rights the applet
// writes with; empty when that fails.
Win32::RegistryKey openedKey(HKEY root, const std::wstring& path);
Win32::RegistryKey createdKey(HKEY root, const std::wstring& path);

// Points the applet at keys of the running test (under HKEY_LOCAL_MACHINE
// and HKEY_CURRENT_USER) and at a service that is not installed; removes the
// keys before and after the test.
class AppletRegistryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The Parameters key of the test, or one of its model subkeys.
    std::wstring keyPath(const wchar_t* model = nullptr) const;
    void setDword(const wchar_t* model, const wchar_t* name, DWORD value);
    void setString(const wchar_t* model, const wchar_t* name, const std::wstring& text);
    std::optional<DWORD> dword(const wchar_t* model, const wchar_t* name) const;
    std::optional<std::wstring> string(const wchar_t* model, const wchar_t* name) const;
    bool keyExists(const wchar_t* model) const;
    void deleteParameters();

private:
    std::optional<RegistrySandbox> sandbox_;
};

} // namespace Korva::QELD::Test
