#pragma once

#include "slideshow/core/status_record.h"

#include <cstdint>
#include <string>

namespace Korva::QELD {

// The words both forms of the status use for the record's values, so that
// the text and the JSON always name a thing alike.

// "QEL40", or "generic" for a tablet without a model of its own.
std::string modelName(ModelId model);
// "0x0C13".
std::string productIdText(std::uint16_t productId);
// 1, 16 or 24.
unsigned bitsPerPixel(std::uint8_t encodingMode);
const char* transportText(std::uint8_t encodingMode);
const char* stateText(TabletState state);
// The event ID as Event Viewer shows it and event queries select it: the
// low 16 bits of the message id (the high bits are its severity).
inline unsigned eventViewerId(std::uint32_t messageId) {
    return messageId & 0xFFFF;
}
// A tablet as reasons and reports name it: "QEL40 (product id 0x0C13)".
std::string tabletName(const TabletStatus& tablet);
// The models of a list: "generic, QEL40".
std::string modelNames(const PictureListStatus& list);
// A list's folder and its models: "C:\Pictures (generic, QEL40)".
std::string listName(const PictureListStatus& list);

} // namespace Korva::QELD
