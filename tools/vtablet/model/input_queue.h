#pragma once

#include <stdint.h>

#include "tools/vtablet/model/report_descriptor.h"

namespace Korva::VTablet {

// The input reports a tablet holds until the host reads them, oldest first.
// A fixed ring without allocation, like the rest of the model; clear() sets
// it up.
class InputQueue {
public:
    static constexpr uint32_t capacity = 16;

    void clear() { first_ = count_ = 0; }
    bool empty() const { return count_ == 0; }
    // Copies a report of inputReportLength bytes in; false when full.
    bool push(const uint8_t* report);
    // Copies the oldest report out; false when empty.
    bool pop(uint8_t* report);

private:
    uint8_t reports_[capacity][inputReportLength];
    uint32_t first_;
    uint32_t count_;
};

} // namespace Korva::VTablet
