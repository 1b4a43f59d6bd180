#include "common/core/whole_value_read.h"

namespace Korva::Win32 {

std::optional<RegistryValue> readWholeValue(const ValueQueryFunction& query) {
    RegistryValue value;
    for (int attempt = 0; attempt < valueQueryAttempts; ++attempt) {
        auto size = static_cast<std::uint32_t>(value.bytes.size());
        const ValueQuery answer =
            query(value.bytes.empty() ? nullptr : value.bytes.data(), size, value.type);
        if (answer == ValueQuery::Failed)
            return std::nullopt;
        if (answer == ValueQuery::Read && size <= value.bytes.size()) {
            value.bytes.resize(size);
            return value;
        }
        value.bytes.resize(size);
    }
    return std::nullopt;
}

} // namespace Korva::Win32
