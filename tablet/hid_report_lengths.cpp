#include "tablet/hid_report_lengths.h"

#include "common/error_categories.h"
#include "common/unique_handle.h"

#include <algorithm>
#include <vector>

namespace Korva::QEL {
namespace {

struct preparsed_data_traits {
    using pointer = PHIDP_PREPARSED_DATA;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::HidD_FreePreparsedData(h); }
};

void checkStatus(NTSTATUS status, const char* function) {
    if (status != HIDP_STATUS_SUCCESS)
        Win32::throwNtStatus(status, function);
}

USHORT valueCapsCount(const HIDP_CAPS& caps, HIDP_REPORT_TYPE type) {
    return type == HidP_Input ? caps.NumberInputValueCaps : caps.NumberFeatureValueCaps;
}

void fillLengths(HANDLE hid, HIDP_REPORT_TYPE type, ReportLengthTable& lengths) {
    Win32::unique_handle<preparsed_data_traits> preparsed;
    if (!::HidD_GetPreparsedData(hid, preparsed.put()))
        Win32::throwLastError("HidD_GetPreparsedData");
    HIDP_CAPS caps{};
    checkStatus(::HidP_GetCaps(preparsed.get(), &caps), "HidP_GetCaps");
    USHORT count = valueCapsCount(caps, type);
    if (count == 0)
        return;
    std::vector<HIDP_VALUE_CAPS> values(count);
    checkStatus(::HidP_GetValueCaps(type, values.data(), &count, preparsed.get()),
                "HidP_GetValueCaps");
    for (USHORT i = 0; i < count; ++i)
        lengths[values[i].ReportID] = static_cast<std::uint16_t>(values[i].ReportCount + 1);
}

} // namespace

std::uint16_t readReportLengths(HANDLE hid, HIDP_REPORT_TYPE type, ReportLengthTable& lengths) {
    lengths.fill(0);
    try {
        fillLengths(hid, type, lengths);
    } catch (...) {
        lengths.fill(0);
        throw;
    }
    return *std::max_element(lengths.begin(), lengths.end());
}

} // namespace Korva::QEL
