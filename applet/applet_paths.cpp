#include "applet/applet_paths.h"

namespace Korva::QELD {

AppletPaths& appletPaths() noexcept {
    static AppletPaths paths;
    return paths;
}

} // namespace Korva::QELD
