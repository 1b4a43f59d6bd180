#pragma once

#include <string>

namespace Korva::QELD::Test {

// A registry key of the running test under HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER, named after the test, so that tests never share keys
// with each other or with the product. It is removed on construction, in
// case an earlier run was cut short, and on destruction.
class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // The key's path below the root keys, or a subkey's.
    std::wstring path(const wchar_t* subkey = nullptr) const;

private:
    void remove() const;

    std::wstring root_;
};

} // namespace Korva::QELD::Test
