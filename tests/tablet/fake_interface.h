#pragma once

#include "tablet/core/interface.h"

#include <array>
#include <cstdint>
#include <deque>
#include <vector>

namespace Korva::QEL::Test {

// An in-memory tablet. Its Status follows the start and end reports, unless
// it is stuck; scripted values are reported first, one per status read.
class FakeInterface : public Interface {
public:
    struct Operation {
        char kind; // 'g' get-feature, 's' set-feature, 'b' bulk write
        Report bytes;
    };

    std::uint8_t status = 0;
    bool stuck = false;
    std::deque<std::uint8_t> scripted;
    std::array<std::uint8_t, 17> capability{};
    bool bulk = false;
    // The set-feature with this index (counted from 0) fails as if the
    // tablet had been pulled.
    int removeAtSet = -1;

    std::vector<Operation> operations;
    int statusReads = 0;
    int sets = 0;

    void close() override {}
    bool isOpen() const override { return true; }
    void getFeature(std::uint8_t* buffer, std::size_t length) override;
    void setFeature(const std::uint8_t* buffer, std::size_t length) override;
    bool canWriteBulk() const override { return bulk; }
    void writeBulk(const std::uint8_t* buffer, std::size_t length) override;
    std::uint16_t productId() override { return 0x0C16; }

    // The operations after the status reads, which most tests leave out.
    std::vector<Operation> writes() const;
};

} // namespace Korva::QEL::Test
