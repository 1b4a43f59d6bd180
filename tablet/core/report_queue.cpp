#include "tablet/core/report_queue.h"

namespace Korva::QEL {

void ReportQueue::push(const Report& report) {
    {
        std::lock_guard lock(mutex_);
        reports_.push_back(report);
    }
    changed_.notify_all();
}

void ReportQueue::fail(std::exception_ptr error) {
    {
        std::lock_guard lock(mutex_);
        error_ = std::move(error);
    }
    changed_.notify_all();
}

void ReportQueue::clear() {
    {
        std::lock_guard lock(mutex_);
        reports_.clear();
        error_ = nullptr;
    }
    changed_.notify_all();
}

Report ReportQueue::pop() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !reports_.empty() || error_; });
    if (reports_.empty())
        std::rethrow_exception(error_);
    Report report = std::move(reports_.front());
    reports_.pop_front();
    return report;
}

} // namespace Korva::QEL
