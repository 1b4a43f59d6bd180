#pragma once

#include "common/hid.h"
#include "tablet/core/report_split.h"

namespace Korva::QEL {

// Fills the length of each report of the type (one byte per value plus the
// id byte) from the device's value capabilities and returns the largest.
// Throws std::system_error; the table is left zeroed then.
std::uint16_t readReportLengths(HANDLE hid, HIDP_REPORT_TYPE type, ReportLengthTable& lengths);

} // namespace Korva::QEL
