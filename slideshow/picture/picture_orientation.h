#pragma once

#include "slideshow/picture/core/orientation.h"

#include <wincodec.h>

namespace Korva::QELD {

// The orientation a photo records for its first frame: the EXIF tag of a
// JPEG file (read from the file itself, since not every imaging component
// exposes JPEG metadata) or the orientation tag of a TIFF page. Pictures
// without one, and any failure to read it, give orientationNormal.
Orientation pictureOrientation(const wchar_t* path, IWICBitmapDecoder* decoder,
                               IWICBitmapFrameDecode* frame);

} // namespace Korva::QELD
