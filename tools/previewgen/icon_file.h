#pragma once

#include "tools/previewgen/canvas.h"

#include <cstdint>
#include <vector>

namespace Korva::QELD::Preview {

// The bytes of an icon file holding the given pictures, each as a 32-bit
// image with alpha, largest last.
std::vector<std::uint8_t> iconFile(const std::vector<Canvas>& images);

} // namespace Korva::QELD::Preview
