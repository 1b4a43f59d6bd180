#include "slideshow/core/image_list_names.h"

#include <algorithm>
#include <array>

namespace Korva::QELD {
namespace {

// Sorted by UTF-16 units, for the binary search below.
constexpr std::array<std::u16string_view, 7> pictureExtensions{u"bmp", u"gif", u"jpeg", u"jpg",
                                                               u"png", u"tif", u"tiff"};

char16_t asciiLower(char16_t unit) noexcept {
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 0x20) : unit;
}

} // namespace

bool isPictureFile(std::u16string_view text) {
    const auto dot = text.rfind(u'.');
    if (dot == std::u16string_view::npos)
        return false;
    const auto extension = text.substr(dot + 1);
    if (extension.size() != 3 && extension.size() != 4)
        return false;
    return std::binary_search(pictureExtensions.begin(), pictureExtensions.end(),
                              asciiLower(std::u16string(extension)));
}

std::u16string asciiLower(std::u16string text) {
    for (auto& unit : text)
        unit = asciiLower(unit);
    return text;
}

std::u16string entryPath(std::u16string_view folder, std::u16string_view name) {
    std::u16string path;
    path.reserve(folder.size() + name.size());
    path.append(folder).append(name);
    return asciiLower(std::move(path));
}

} // namespace Korva::QELD
