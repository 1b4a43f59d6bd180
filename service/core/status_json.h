#pragma once

#include "service/core/status_health.h"
#include "slideshow/core/status_record.h"

#include <chrono>
#include <string>

namespace Korva::QELD {

// The version of the JSON layout; it grows only when a member changes its
// meaning or goes, never for a new member.
inline constexpr int statusSchema = 1;

// The status as one JSON object for scripts and monitoring: the same facts as
// the text, the health, times in ISO 8601 UTC. The README documents every
// member; a new member is one line in the writer of its object here.
std::string formatStatusJson(const StatusSnapshot& status, const HealthReport& health,
                             std::chrono::steady_clock::time_point steadyNow);

// The object "/status /json" prints when no slideshow answers (not running,
// access denied, another program on the pipe), with "running" false and the
// reason, so that a script reads the health the same way either way.
std::string unansweredJson(const std::string& reason);

} // namespace Korva::QELD
