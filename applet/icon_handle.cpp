#include "applet/icon_handle.h"

#include "applet/module.h"

namespace Korva::QELD {

unique_icon loadAppletIcon(UINT id, int width, int height) {
    return unique_icon(static_cast<HICON>(
        ::LoadImageW(moduleInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, 0)));
}

} // namespace Korva::QELD
