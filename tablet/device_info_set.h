#pragma once

#include "common/unique_handle.h"

#include <setupapi.h>

namespace Korva::Win32 {

// A SetupAPI device-information set: empty is INVALID_HANDLE_VALUE.
struct device_info_set_traits {
    using pointer = HDEVINFO;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { ::SetupDiDestroyDeviceInfoList(h); }
};

using unique_devinfo = unique_handle<device_info_set_traits>;

} // namespace Korva::Win32
