#pragma once

#include "common/event_log.h"
#include "settings/configuration_data.h"
#include "slideshow/core/status_record.h"
#include "slideshow/system_calendar.h"

namespace Korva::QELD {

// The slideshow's clock and switchboard: waits for flags on the settings
// object and acts on them until the quit flag ends it, and answers status
// queries meanwhile. Never throws: a failed wait or an exception is reported
// and makes the result false. The campaigns follow the calendar's date;
// tests give a calendar of their own.
bool mainLoop(ConfigurationData& settings, EventLog& eventLog, RunMode mode,
              LocalCalendar& calendar = systemCalendar()) noexcept;

// Body of the console's main thread: registers the event source, runs the
// main loop and deregisters. Console mode also prints every report.
class MainThread {
public:
    MainThread(ConfigurationData& settings, EventSink* sink = nullptr)
        : settings_(settings), sink_(sink) {}

    // The result of the main loop.
    bool operator()() noexcept;

private:
    ConfigurationData& settings_;
    EventSink* sink_;
};

} // namespace Korva::QELD
