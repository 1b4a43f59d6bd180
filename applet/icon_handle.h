#pragma once

#include "common/unique_handle.h"

namespace Korva::QELD {

struct icon_traits {
    using pointer = HICON;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::DestroyIcon(h); }
};

using unique_icon = Korva::Win32::unique_handle<icon_traits>;

// An icon of the applet's module at the given size; empty when it is missing.
unique_icon loadAppletIcon(UINT id, int width, int height);

} // namespace Korva::QELD
