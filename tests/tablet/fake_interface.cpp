#include "fake_interface.h"

#include <algorithm>

namespace Korva::QEL::Test {

void FakeInterface::getFeature(std::uint8_t* buffer, std::size_t length) {
    if (buffer[0] == 0x03) {
        ++statusReads;
        std::uint8_t value = status;
        if (!scripted.empty()) {
            value = scripted.front();
            scripted.pop_front();
        }
        buffer[1] = value;
    } else if (buffer[0] == 0x09) {
        std::copy_n(capability.begin(), std::min(length, capability.size()), buffer);
    }
    operations.push_back({'g', Report(buffer, buffer + length)});
}

void FakeInterface::setFeature(const std::uint8_t* buffer, std::size_t length) {
    if (sets++ == removeAtSet)
        throw device_removed_error();
    operations.push_back({'s', Report(buffer, buffer + length)});
    if (stuck)
        return;
    if (buffer[0] == 0x25)
        status = 1;
    else if (buffer[0] == 0x27)
        status = 0;
}

void FakeInterface::writeBulk(const std::uint8_t* buffer, std::size_t length) {
    if (!bulk)
        throw write_not_supported_error();
    operations.push_back({'b', Report(buffer, buffer + length)});
}

std::vector<FakeInterface::Operation> FakeInterface::writes() const {
    std::vector<Operation> result;
    std::copy_if(operations.begin(), operations.end(), std::back_inserter(result),
                 [](const Operation& op) { return op.kind != 'g'; });
    return result;
}

} // namespace Korva::QEL::Test
