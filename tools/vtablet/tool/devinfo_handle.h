#pragma once

#include "tablet/device_info_set.h"

#include <string>

namespace Korva::VTablet {

using Korva::Win32::unique_devinfo;

// The path of the first present device interface of the class, or an empty
// string when there is none.
std::wstring firstInterfacePath(const GUID& interfaceClass);

} // namespace Korva::VTablet
