#pragma once

#include "common/core/event_report.h"
#include "common/core/noncopyable.h"
#include "common/unique_handle.h"

#include <exception>
#include <string>

namespace Korva::QELD {

// A second destination for reports besides the event log: console mode
// prints every report, tests record them.
class EventSink {
public:
    virtual void deliver(const EventReport& report) noexcept = 0;

protected:
    ~EventSink() = default;
};

// Owner of the service's event source. Several threads report through one
// object at once; reporting never raises and a report that cannot be written
// is dropped.
class EventLog : noncopyable {
public:
    explicit EventLog(Win32::unique_event_source source = {}, EventSink* sink = nullptr)
        : source_(std::move(source)), sink_(sink) {}

    bool report(std::uint32_t id) noexcept;
    bool reportUnexpectedType() noexcept;
    bool reportSystemError(int value) noexcept;
    bool reportException(const char* function, const std::exception& e) noexcept;
    bool reportWaitResult(const char* function, int line, std::uint32_t result) noexcept;
    bool reportApiFailure(const char* function, const char* api, std::uint32_t error) noexcept;
    // Names the folder and the system's text for the error.
    bool reportFolderFailure(std::uint32_t id, const std::u16string& folder,
                             std::uint32_t error) noexcept;

    // Writes a prepared report; true only when the event log took it.
    bool write(const EventReport& report) noexcept;

private:
    Win32::unique_event_source source_;
    EventSink* sink_;
};

// Registers the source "Zelqa QEL Display" on the local computer; empty when
// the system refuses.
Win32::unique_event_source registerEventSource() noexcept;

// Renders a report with the message table of this program, as an event
// viewer would show it.
std::string renderReport(const EventReport& report);

// Prints every report to standard output as one line.
class ConsoleEventSink : public EventSink {
public:
    void deliver(const EventReport& report) noexcept override;
};

} // namespace Korva::QELD
