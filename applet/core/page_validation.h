#pragma once

#include "applet/core/resource.h"

#include <cstdint>
#include <optional>

namespace Korva::QELD {

// What an editable page holds when it is checked before saving; a list with
// no selection has no value.
struct PageChoices {
    bool offersGeneric = false;
    bool useGeneric = false;
    bool folderEmpty = true;
    bool folderAccepted = false;
    std::optional<std::int32_t> size;
    std::optional<std::int32_t> border;
    std::optional<std::int32_t> position;
};

// 0 when the page may be saved, else the message to show (one of the
// refusals of the string table); the first rule that applies wins.
unsigned validatePageChoices(const PageChoices& page);

} // namespace Korva::QELD
