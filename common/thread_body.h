#pragma once

#include "common/thread_name.h"

#include <exception>

namespace Korva::Win32 {

// Every thread of the service runs its body through here: the thread takes
// its name, and whatever escapes the body goes to the thread's own report,
// which rethrows the failure it is given to tell the kinds apart. Nothing
// leaves the thread, not even a failing report, as an exception escaping a
// thread ends the process.
template <class Body, class Report>
void runThreadBody(const char* name, Body&& body, Report&& report) noexcept {
    try {
        setThreadName(name);
        body();
    } catch (...) {
        try {
            report(std::current_exception());
        } catch (...) {
            // The report had nowhere to go; the thread ends quietly.
        }
    }
}

} // namespace Korva::Win32
