#pragma once

#include "settings/configuration_data.h"

#include <windows.h>

namespace Korva::QELD::Test {

// Deletes the product's own Parameters key with everything below it, as a
// test that runs the real service or installer starts from.
inline void deleteParametersKey() {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, parametersKeyPath);
}

} // namespace Korva::QELD::Test
