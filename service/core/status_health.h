#pragma once

#include "slideshow/core/status_record.h"

#include <chrono>
#include <string>
#include <vector>

namespace Korva::QELD {

// How the slideshow does at a glance: healthy, degraded when something is
// wrong but at least one tablet shows pictures, failed when no tablet does
// (or the slideshow is not running at all).
enum class Health { Healthy, Degraded, Failed };

struct HealthReport {
    Health state = Health::Healthy;
    // One sentence per fault, naming the tablet or folder.
    std::vector<std::string> reasons;
};

// A tablet that has shown no picture for this many intervals, and a little
// longer for a slow upload, is dark although its worker runs.
inline constexpr unsigned darkIntervals = 3;
inline constexpr std::chrono::seconds uploadAllowance{10};

HealthReport assessHealth(const StatusSnapshot& status, std::chrono::system_clock::time_point now);

const char* healthText(Health health);

// The exit code of "/status /json" that says the same: 0 healthy, 2
// degraded, 3 failed (1 is "not running" and 5 "access denied", as for the
// text status).
int healthExitCode(Health health);

} // namespace Korva::QELD
