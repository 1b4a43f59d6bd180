#pragma once

#include "slideshow/picture/core/canvas.h"
#include "slideshow/picture/core/image_parameters.h"
#include "slideshow/picture/core/orientation.h"
#include "slideshow/picture/core/picture_source.h"

#include <cstdint>
#include <vector>

namespace Korva::QELD {

// The border colour of a screen: with "Auto", white on a monochrome screen
// and black on a colour screen; otherwise white for 1, black for any other.
Colour borderColour(const ImageParameters& parameters);

// Lays a decoded picture out on the screen of the parameters and encodes it
// in the screen's pixel format. The picture is turned upright first, its
// transparent parts show the border colour, and it is read in bands so that
// only the scaled result is ever held whole.
std::vector<std::uint8_t> renderPicture(PictureSource& source, Orientation orientation,
                                        const ImageParameters& parameters);

} // namespace Korva::QELD
