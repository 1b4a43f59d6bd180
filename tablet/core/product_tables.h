#pragma once

#include "settings/core/device_config.h"

#include <cstdint>
#include <map>

namespace Korva::QEL {

// The byte that selects a tablet's pixel format and data path.
using EncodingMode = std::uint8_t;
inline constexpr EncodingMode encoding1Bit = 0x00;
inline constexpr EncodingMode encoding16Bit = 0x02;
inline constexpr EncodingMode encoding24Bit = 0x04;
inline constexpr EncodingMode encodingBulk = 0x10; // the image data goes through the bulk pipe

// Product id to settings model. Family members without an entry have no
// model of their own; product id 0 stands for the generic settings.
extern const std::map<std::uint16_t, QELD::ModelId> productModelTable;

// Per product id: bit 0x8 means 24 bits per pixel, bit 0x4 16 bits.
using PixelClass = std::uint8_t;
PixelClass pixelClassFor(std::uint16_t productId);

// The mode of every image sent to a tablet, from its pixel class and from
// whether its bulk pipe is open.
EncodingMode encodingModeFor(std::uint16_t productId, bool bulkAvailable);

} // namespace Korva::QEL
