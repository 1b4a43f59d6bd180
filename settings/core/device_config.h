#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace Korva::QELD {

// Key of a settings set: 0 is the generic set, 1 to 6 the tablet models.
using ModelId = std::uint16_t;

// One settings set. Folder paths are UTF-16, as the registry stores them.
struct DeviceConfig {
    std::int32_t border = 0;
    std::int32_t scale = 1;
    std::uint8_t clip = 0x11;
    bool borderAuto = true;
    std::u16string folder;

    bool operator==(const DeviceConfig&) const = default;
};

using DeviceConfigMap = std::map<ModelId, DeviceConfig>;

struct ModelKey {
    ModelId id;
    const char16_t* subkey; // none for the generic set
};

// The settings sets in the order they are read; the generic set comes first
// so that the models can fall back to its folder.
inline constexpr std::array<ModelKey, 7> modelKeyTable{{
    {0, nullptr},
    {1, u"QEL10"},
    {2, u"QEL30"},
    {3, u"QEL40"},
    {4, u"QEL20"},
    {5, u"QEL50"},
    {6, u"QEL60"},
}};

// The slideshow interval when the registry has none.
inline constexpr std::uint32_t defaultUpdateTime = 3000;

} // namespace Korva::QELD
