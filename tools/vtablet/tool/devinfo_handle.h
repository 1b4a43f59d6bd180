#pragma once

#include "common/unique_handle.h"

#include <setupapi.h>

#include <string>

namespace Korva::VTablet {

struct devinfo_traits {
    using pointer = HDEVINFO;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { ::SetupDiDestroyDeviceInfoList(h); }
};

using unique_devinfo = Korva::Win32::unique_handle<devinfo_traits>;

// The path of the first present device interface of the class, or an empty
// string when there is none.
std::wstring firstInterfacePath(const GUID& interfaceClass);

} // namespace Korva::VTablet
