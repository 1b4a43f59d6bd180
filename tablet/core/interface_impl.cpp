#include "tablet/core/interface_impl.h"

namespace Korva::QEL {

void InterfaceImpl::attach(std::shared_ptr<ReportQueue> queue) {
    std::lock_guard lock(mutex_);
    queues_.push_back(std::move(queue));
}

void InterfaceImpl::deliver(const Report& report, const ReportCallback& callback) {
    if (idle_) {
        if (callback)
            callback(report, 0);
        return;
    }
    std::lock_guard lock(mutex_);
    if (callback)
        callback(report, queues_.size());
    for (const auto& queue : queues_)
        queue->push(report);
}

void InterfaceImpl::fail(std::exception_ptr error) {
    if (idle_)
        return;
    std::lock_guard lock(mutex_);
    for (const auto& queue : queues_)
        queue->fail(error);
}

void InterfaceImpl::clearQueues() {
    std::lock_guard lock(mutex_);
    for (const auto& queue : queues_)
        queue->clear();
}

} // namespace Korva::QEL
