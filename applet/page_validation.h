#pragma once

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

// String-table ids of the messages that refuse a page.
inline constexpr unsigned messageFolderRefused = 211;
inline constexpr unsigned messageNoPosition = 212;
inline constexpr unsigned messageNoBorder = 213;
inline constexpr unsigned messageNoFolder = 214;
inline constexpr unsigned messageNoSize = 215;
inline constexpr unsigned messageBadSize = 216;

// 0 when the page may be saved, else the message to show; the first rule that
// applies wins.
unsigned validatePageChoices(const PageChoices& page);

} // namespace Korva::QELD
