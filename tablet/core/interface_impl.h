#pragma once

#include "tablet/core/report_queue.h"

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <list>
#include <memory>
#include <mutex>

namespace Korva::QEL {

// Called with each input report and the number of attached queues.
using ReportCallback = std::function<void(const Report&, std::size_t)>;

// The state an Interface shares with its reader: the subscribers of its
// input reports. While idle, reports reach only the callback.
class InterfaceImpl {
public:
    void setIdle(bool idle) { idle_ = idle; }
    void attach(std::shared_ptr<ReportQueue> queue);

    void deliver(const Report& report, const ReportCallback& callback);
    // Stores the reader's final error in every queue, unless idle.
    void fail(std::exception_ptr error);
    void clearQueues();

private:
    std::atomic<bool> idle_{true};
    std::mutex mutex_;
    std::list<std::shared_ptr<ReportQueue>> queues_;
};

} // namespace Korva::QEL
