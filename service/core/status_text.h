#pragma once

#include "service/core/status_health.h"
#include "slideshow/core/status_record.h"

#include <chrono>
#include <string>

namespace Korva::QELD {

// The reply to a status query in plain lines: the program, each picture
// list, each tablet, and the health with its reasons. Times of day are in
// UTC, which needs no time zone data and reads the same for a service and a
// console of another user.
std::string formatStatus(const StatusSnapshot& status, const HealthReport& health,
                         std::chrono::steady_clock::time_point now);

} // namespace Korva::QELD
