#include "applet/core/option_tables.h"

namespace Korva::QELD {

std::optional<std::size_t> findOption(std::span<const OptionRow> rows, std::int32_t value) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].value == value)
            return i;
    }
    return std::nullopt;
}

} // namespace Korva::QELD
