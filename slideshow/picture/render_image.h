#pragma once

#include "slideshow/picture/core/image_parameters.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Korva::QELD {

// Decodes the picture file at path (its first frame), lays it out on the
// screen and encodes it in the screen's pixel format. The calling thread has
// COM initialised. Throws std::system_error (HRESULT category) when the file
// cannot be decoded, std::out_of_range for an unknown EncodingMode.
// Defined only in the Windows build.
std::vector<std::uint8_t> renderImage(const std::u16string& path,
                                      const ImageParameters& parameters);

} // namespace Korva::QELD
