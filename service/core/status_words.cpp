#include "service/core/status_words.h"

#include "common/core/utf.h"
#include "tablet/core/product_tables.h"

#include <cstdio>

namespace Korva::QELD {

std::string modelName(ModelId model) {
    for (const auto& key : modelKeyTable) {
        if (key.id == model && key.subkey != nullptr)
            return utf8FromUtf16(key.subkey);
    }
    return "generic";
}

std::string productIdText(std::uint16_t productId) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", productId);
    return text;
}

unsigned bitsPerPixel(std::uint8_t encodingMode) {
    switch (encodingMode & ~QEL::encodingBulk) {
    case QEL::encoding16Bit:
        return 16;
    case QEL::encoding24Bit:
        return 24;
    default:
        return 1;
    }
}

const char* transportText(std::uint8_t encodingMode) {
    return encodingMode & QEL::encodingBulk ? "bulk pipe" : "feature reports";
}

const char* stateText(TabletState state) {
    switch (state) {
    case TabletState::Starting:
        return "starting";
    case TabletState::Showing:
        return "showing";
    case TabletState::Waiting:
        return "waiting for the tablet";
    case TabletState::Failed:
        break;
    }
    return "stopped by a failure";
}

std::string tabletName(const TabletStatus& tablet) {
    return modelName(tablet.model) + " (product id " + productIdText(tablet.productId) + ")";
}

std::string modelNames(const PictureListStatus& list) {
    std::string models;
    for (const ModelId model : list.models)
        models += (models.empty() ? "" : ", ") + modelName(model);
    return models;
}

std::string listName(const PictureListStatus& list) {
    return utf8FromUtf16(list.folder) + " (" + modelNames(list) + ")";
}

} // namespace Korva::QELD
