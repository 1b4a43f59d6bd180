#include "applet/core/stored_layout.h"

#include "applet/core/option_tables.h"

#include <cstring>

namespace Korva::QELD {

namespace {

constexpr std::uint32_t typeString = 1;
constexpr std::uint32_t typeExpandString = 2;

std::int32_t asSigned(std::uint32_t value) {
    return static_cast<std::int32_t>(value);
}

} // namespace

StoredLayout storedLayout(std::optional<std::uint32_t> scale, std::optional<std::uint32_t> border,
                          std::optional<std::uint32_t> clip) {
    StoredLayout layout;
    const auto size = scale ? findOption(SizeOptions, asSigned(*scale)) : std::nullopt;
    layout.sizeIndex = size.value_or(0);
    // A stretched picture has neither border nor anchor, so they are not read.
    if (size && SizeOptions[*size].value == sizeStretch)
        return layout;
    const auto borderValue = border ? asSigned(*border) : borderAutoValue;
    layout.borderIndex = findOption(BorderOptions, borderValue).value_or(0);
    if (clip)
        layout.positionIndex = findOption(PositionOptions, asSigned(*clip)).value_or(4);
    return layout;
}

std::optional<std::u16string> storedFolder(std::uint32_t type, const std::uint8_t* bytes,
                                           std::size_t size) {
    if (type != typeString && type != typeExpandString)
        return std::nullopt;
    if (size % 2 != 0)
        return std::nullopt;
    std::u16string text(size / 2, u'\0');
    if (size != 0)
        std::memcpy(text.data(), bytes, size);
    if (!text.empty() && text.back() != u'\0')
        return std::nullopt;
    text.resize(std::char_traits<char16_t>::length(text.c_str()));
    return text;
}

std::uint32_t storedIntervalSeconds(std::optional<std::uint32_t> milliseconds) {
    return milliseconds ? *milliseconds / 1000 : 5;
}

} // namespace Korva::QELD
