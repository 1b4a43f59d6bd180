#pragma once

#include "slideshow/core/local_calendar.h"

namespace Korva::QELD {

// The local date of the system's clock in the system's time zone.
LocalCalendar& systemCalendar() noexcept;

} // namespace Korva::QELD
