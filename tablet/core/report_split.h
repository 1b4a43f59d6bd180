#pragma once

#include "tablet/core/report_queue.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace Korva::QEL {

// Input report length per report id, the id byte included; 0 for ids that
// are not input reports.
using ReportLengthTable = std::array<std::uint16_t, 256>;

// Cuts the bytes of one read into reports, each as long as its id says,
// and hands each to deliver. Reports sit at strides of the longest input
// report; the walk stops at an unknown id or a report cut short.
void splitReports(const std::uint8_t* data, std::size_t size, const ReportLengthTable& lengths,
                  std::uint16_t maxLength, const std::function<void(const Report&)>& deliver);

} // namespace Korva::QEL
