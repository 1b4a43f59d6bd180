#pragma once

#include <string>
#include <string_view>

namespace Korva::QELD {

// Whether a file name or full path carries one of the accepted picture
// extensions ("bmp", "gif", "jpeg", "jpg", "png", "tif", "tiff"), compared
// after ASCII lower-casing.
bool isPictureFile(std::u16string_view text);

// Lower-cases the letters A to Z only; every other UTF-16 unit is kept, so
// the result does not depend on the system's locale or case tables.
std::u16string asciiLower(std::u16string text);

// The path a picture entry stores: the folder followed by the file name,
// ASCII lower-cased over the whole text.
std::u16string entryPath(std::u16string_view folder, std::u16string_view name);

} // namespace Korva::QELD
