#include "tests/support/registry_sandbox.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace Korva::QELD::Test {

RegistrySandbox::RegistrySandbox() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(info->test_suite_name()) + "." + info->name();
    root_ = L"SOFTWARE\\Korva\\QELDTest\\" + std::wstring(name.begin(), name.end());
    remove();
}

RegistrySandbox::~RegistrySandbox() {
    remove();
}

std::wstring RegistrySandbox::path(const wchar_t* subkey) const {
    return subkey == nullptr ? root_ : root_ + L"\\" + subkey;
}

void RegistrySandbox::remove() const {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, root_.c_str());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
}

} // namespace Korva::QELD::Test
