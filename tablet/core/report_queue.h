#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <vector>

namespace Korva::QEL {

using Report = std::vector<std::uint8_t>;

// One subscriber to a tablet's input reports: the reports in arrival order,
// or the error that ended the reader.
class ReportQueue {
public:
    void push(const Report& report);
    void fail(std::exception_ptr error);
    // Empties the queue and forgets a stored error, for a fresh reader.
    void clear();
    // Waits for the next report; rethrows the reader's error once the
    // queue has run dry.
    Report pop();

private:
    std::condition_variable changed_;
    std::mutex mutex_;
    std::deque<Report> reports_;
    std::exception_ptr error_;
};

} // namespace Korva::QEL
