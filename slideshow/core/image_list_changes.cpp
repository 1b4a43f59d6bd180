#include "slideshow/core/image_list_changes.h"

#include <cstring>

namespace Korva::QELD {
namespace {

constexpr std::size_t recordHeaderSize = 12;

std::uint32_t readWord(const std::uint8_t* data) {
    std::uint32_t value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

} // namespace

std::vector<FileChange> parseNotifications(const std::uint8_t* data, std::size_t size) {
    std::vector<FileChange> changes;
    std::size_t offset = 0;
    while (size - offset >= recordHeaderSize) {
        const std::uint8_t* record = data + offset;
        const std::uint32_t next = readWord(record);
        const std::uint32_t nameBytes = readWord(record + 8);
        if (nameBytes > size - offset - recordHeaderSize)
            break;
        FileChange change{readWord(record + 4), std::u16string(nameBytes / 2, u'\0')};
        std::memcpy(change.name.data(), record + recordHeaderSize, nameBytes / 2 * 2);
        changes.push_back(std::move(change));
        if (next == 0 || next > size - offset)
            break;
        offset += next;
    }
    return changes;
}

} // namespace Korva::QELD
