#pragma once

#include <stdint.h>

// What a virtual tablet of a given product id looks like unless the plug
// request says otherwise.
namespace Korva::VTablet {

inline constexpr uint16_t vendorId = 0x2B7C;
inline constexpr uint16_t firstProductId = 0x0C10;
inline constexpr uint16_t lastProductId = 0x0C1E;
inline constexpr uint16_t revision = 0x0100;

struct ScreenSize {
    uint16_t width;
    uint16_t height;
};

// 1-bit models 396 x 100, QEL40 (16-bit) 320 x 200, QEL50 640 x 480, QEL60 and
// 0x0C1B (24-bit) 800 x 480.
ScreenSize defaultScreen(uint16_t productId);

// Product id of a model key such as "QEL40" (case-insensitive), or 0.
uint16_t productOfModelKey(const char* key);

} // namespace Korva::VTablet
