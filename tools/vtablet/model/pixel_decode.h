#pragma once

#include <stddef.h>
#include <stdint.h>

// Decoding of the image bytes a tablet receives into the RGB triples of its
// screen. Freestanding: the same code runs in the bus driver.
namespace Korva::VTablet {

// Bytes an image of the given EncodingMode and size takes; 0 for a mode the
// family does not know.
uint32_t imageBytes(uint8_t mode, uint32_t width, uint32_t height);

// Writes width * height RGB triples to screen. The source holds exactly
// imageBytes(mode, width, height) bytes; the mode must be known.
void decodeImage(uint8_t mode, const uint8_t* source, uint32_t width, uint32_t height,
                 uint8_t* screen);

} // namespace Korva::VTablet
