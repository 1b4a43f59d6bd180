#pragma once

#include <stdexcept>

namespace Korva::QEL {

// Base of the tablet transport's own failures.
class runtime_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace Korva::QEL
