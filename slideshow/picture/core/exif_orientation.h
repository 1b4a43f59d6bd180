#pragma once

#include "slideshow/picture/core/orientation.h"

#include <cstdint>
#include <span>

namespace Korva::QELD {

// The orientation tag (274) of the first directory of a TIFF structure, as
// EXIF blocks and TIFF files carry it. Anything missing, damaged or out of
// range gives orientationNormal.
Orientation tiffOrientation(std::span<const std::uint8_t> tiff);

// The EXIF orientation of a JPEG file from its first bytes: the APP1 "Exif"
// segments before the image data are searched. A damaged or truncated file
// gives orientationNormal.
Orientation jpegOrientation(std::span<const std::uint8_t> head);

} // namespace Korva::QELD
