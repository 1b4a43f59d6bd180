#pragma once

#include "slideshow/core/campaign_names.h"

#include <chrono>

namespace Korva::QELD {

// Where the campaigns learn the PC's local date. The service reads the
// system's clock and time zone; tests give a calendar of their own, so that
// they never depend on the day they run or on changing the machine's clock.
class LocalCalendar {
public:
    virtual LocalDate today() = 0;

    // How long until the local date changes, if the clock and the time zone
    // are not changed meanwhile.
    virtual std::chrono::milliseconds untilTomorrow() = 0;

protected:
    ~LocalCalendar() = default;
};

} // namespace Korva::QELD
