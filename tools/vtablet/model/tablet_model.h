#pragma once

#include <stddef.h>
#include <stdint.h>

#include "tools/vtablet/model/input_queue.h"
#include "tools/vtablet/model/tablet_state.h"

namespace Korva::VTablet {

enum class Result : uint8_t { Ok, Refused, NotConnected };

// The device side of one QEL tablet: its Status machine, the reports it
// answers, the image it receives and the faults injected into it. Plain
// freestanding C++ without allocation, so the bus driver runs the same code
// under its spin lock; the caller owns the two image buffers, each of
// screenBufferBytes(width, height).
class TabletModel {
public:
    static uint32_t screenBufferBytes(uint16_t width, uint16_t height) {
        return uint32_t{width} * height * 3;
    }

    void reset(const TabletSetup& setup, uint8_t* receiveBuffer, uint8_t* screen);

    // The report buffer holds the id in byte 0; a get fills the declared
    // length and zeroes the rest.
    Result getFeature(uint8_t* report, uint32_t length);
    Result setFeature(const uint8_t* report, uint32_t length);
    Result writeBulk(const uint8_t* data, uint32_t length);

    // An input report the tablet is to send (id 0x01, inputReportLength
    // bytes). It waits in the tablet until a read takes it; a malformed
    // report or a full queue is refused.
    Result queueInput(const uint8_t* report, uint32_t length);
    bool hasInput() const { return !input_.empty(); }
    // Hands the oldest waiting report to a read; false when none waits.
    bool takeInput(uint8_t* report);

    void setFaults(const Faults& faults) { state_.faults = faults; }
    const TabletState& state() const { return state_; }
    const uint8_t* screen() const { return screen_; }
    bool pulled() const { return state_.pulled != 0; }

private:
    uint8_t currentStatus() const;
    Result admit(uint8_t op, uint8_t reportId, uint32_t length);
    Result finish(Result result);
    Result readStatus(uint8_t* report);
    void readCapability(uint8_t* report) const;
    Result startImage(uint8_t mode);
    Result appendData(const uint8_t* data, uint32_t length, bool bulk);
    Result endImage(uint8_t flag);
    void clearScreen();
    bool setPermitted(uint8_t reportId) const;

    TabletState state_;
    InputQueue input_;
    uint8_t* receive_;
    uint8_t* screen_;
};

} // namespace Korva::VTablet
