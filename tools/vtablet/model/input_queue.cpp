#include "tools/vtablet/model/input_queue.h"

namespace Korva::VTablet {

bool InputQueue::push(const uint8_t* report) {
    if (count_ == capacity)
        return false;
    uint8_t* slot = reports_[(first_ + count_) % capacity];
    for (uint16_t i = 0; i < inputReportLength; ++i)
        slot[i] = report[i];
    ++count_;
    return true;
}

bool InputQueue::pop(uint8_t* report) {
    if (count_ == 0)
        return false;
    const uint8_t* slot = reports_[first_];
    for (uint16_t i = 0; i < inputReportLength; ++i)
        report[i] = slot[i];
    first_ = (first_ + 1) % capacity;
    --count_;
    return true;
}

} // namespace Korva::VTablet
