#include "tablet/core/product_tables.h"

namespace Korva::QEL {

const std::map<std::uint16_t, QELD::ModelId> productModelTable{
    {0x0000, 0}, {0x0C13, 1}, {0x0C10, 2}, {0x0C16, 3}, {0x0C11, 4}, {0x0C17, 5}, {0x0C1A, 6},
};

PixelClass pixelClassFor(std::uint16_t productId) {
    switch (productId) {
    case 0x0C16:
        return 6;
    case 0x0C17:
    case 0x0C1A:
    case 0x0C1B:
        return 15;
    default:
        return 2;
    }
}

EncodingMode encodingModeFor(std::uint16_t productId, bool bulkAvailable) {
    const PixelClass pixelClass = pixelClassFor(productId);
    EncodingMode mode = encoding1Bit;
    if (pixelClass & 0x8)
        mode = encoding24Bit;
    else if (pixelClass & 0x4)
        mode = encoding16Bit;
    return bulkAvailable ? static_cast<EncodingMode>(mode | encodingBulk) : mode;
}

} // namespace Korva::QEL
