#pragma once

#include "common/unique_handle.h"
#include "tools/vtablet/model/control_codes.h"

#include <cstdint>
#include <vector>

namespace Korva::VTablet {

// The control tool's side of the bus's control interface.
class BusClient {
public:
    // Opens the control interface; throws when the bus is not running.
    BusClient();

    std::uint32_t plug(const TabletSetup& setup);
    void unplug(std::uint32_t slot);
    SlotInfo query(std::uint32_t slot);
    void setFaults(std::uint32_t slot, const Faults& faults);
    // Has the tablet send an input report of inputReportLength bytes.
    void sendInput(std::uint32_t slot, const std::uint8_t* report);
    // The screen as RGB triples, width * height of the slot's setup.
    std::vector<std::uint8_t> screen(std::uint32_t slot, const TabletSetup& setup);

private:
    DWORD control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize);

    Win32::unique_file device_;
};

} // namespace Korva::VTablet
