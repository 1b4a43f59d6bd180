#include "settings/core/registry_values.h"

#include "settings/core/device_config.h"

#include <cstring>

namespace Korva::QELD::RegistryValues {

std::u16string folder(const std::uint8_t* bytes, std::size_t size) {
    std::u16string text(size / 2, u'\0');
    if (!text.empty())
        std::memcpy(text.data(), bytes, text.size() * 2);
    // A NUL ends the text: anything after it (a second string of a multi-string
    // value, say) could not name a folder anyway.
    if (const auto end = text.find(u'\0'); end != std::u16string::npos)
        text.resize(end);
    if (!text.empty() && text.back() != u'\\' && text.back() != u'/')
        text += u'/';
    return text;
}

std::optional<std::uint32_t> dword(std::uint32_t type, const std::uint8_t* bytes,
                                   std::size_t size) {
    if (type != registryTypeDword || size != 4)
        return std::nullopt;
    std::uint32_t value;
    std::memcpy(&value, bytes, 4);
    return value;
}

std::uint32_t updateTime(const std::uint8_t* bytes, std::size_t size) {
    std::uint32_t value = defaultUpdateTime;
    std::memcpy(&value, bytes, size < 4 ? size : 4);
    return value;
}

} // namespace Korva::QELD::RegistryValues
