#pragma once

#include <cstdint>
#include <string>

// Writes a 24-bit BMP of the given size, a colour gradient from the corner
// colour so that layout mistakes show in the pixels.
void writeBitmap(const std::wstring& path, int width, int height, std::uint32_t rgb);

// A file with a picture's name that no decoder accepts.
void writeBrokenPicture(const std::wstring& path);
