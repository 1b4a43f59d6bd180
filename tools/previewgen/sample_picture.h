#pragma once

#include "tools/previewgen/canvas.h"

namespace Korva::QELD::Preview {

// The sample picture the previews show: a landscape with sky, sun, hills and
// a house, as a colour at relative coordinates (0..1).
Colour samplePictureAt(double u, double v);

// Width over height of the sample picture.
double samplePictureAspect();

} // namespace Korva::QELD::Preview
