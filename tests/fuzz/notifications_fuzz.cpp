#include "slideshow/core/image_list_changes.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <cstring>
#include <vector>

using namespace Korva::QELD;
using Korva::Fuzz::check;

namespace {

void putWord(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    std::memcpy(out.data() + at, &value, sizeof value);
}

// The records as the system writes them: each starts on a 4-byte boundary,
// the last has a next-entry offset of 0.
std::vector<std::uint8_t> encode(const std::vector<FileChange>& changes) {
    std::vector<std::uint8_t> out;
    std::size_t previous = 0;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const std::size_t at = (out.size() + 3) & ~std::size_t{3};
        if (i > 0)
            putWord(out, previous, static_cast<std::uint32_t>(at - previous));
        const std::size_t nameBytes = changes[i].name.size() * 2;
        out.resize(at + 12 + nameBytes);
        putWord(out, at, 0);
        putWord(out, at + 4, changes[i].action);
        putWord(out, at + 8, static_cast<std::uint32_t>(nameBytes));
        std::memcpy(out.data() + at + 12, changes[i].name.data(), nameBytes);
        previous = at;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The fuzzer's buffer is exactly sized, so offsets and lengths that point
    // outside it meet the address sanitizer.
    const auto changes = parseNotifications(data, size);
    // A damaged buffer may chain records that overlap, but each one starts
    // further on than the last and fits the buffer whole.
    check(changes.size() <= size, "records advance through the buffer");
    for (const FileChange& change : changes)
        check(12 + change.name.size() * 2 <= size, "a record lies inside the buffer");
    const auto encoded = encode(changes);
    check(parseNotifications(encoded.data(), encoded.size()) == changes,
          "records written in the system's layout read back unchanged");
    return 0;
}
