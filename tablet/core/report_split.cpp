#include "tablet/core/report_split.h"

namespace Korva::QEL {

void splitReports(const std::uint8_t* data, std::size_t size, const ReportLengthTable& lengths,
                  std::uint16_t maxLength, const std::function<void(const Report&)>& deliver) {
    std::size_t offset = 0;
    while (offset < size) {
        const std::size_t length = lengths[data[offset]];
        if (length == 0 || size - offset < length)
            return;
        deliver(Report(data + offset, data + offset + length));
        offset += maxLength;
    }
}

} // namespace Korva::QEL
