#pragma once

#include "tests/support/process_runner.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Korva::QELD::Test {

// Runs the virtual tablet control tool of the build once with the arguments.
// Its output goes through a file of its own: the tool may start driver
// services, which inherit its handles and keep them open.
ProcessResult runVirtualTabletTool(const std::wstring& arguments);

// Drives the virtual tablet bus through its control tool. Every call runs
// the tool once and throws std::runtime_error when it fails.
class VirtualTablets {
public:
    // Installs the drivers (harmless when present) and unplugs every tablet.
    VirtualTablets();
    ~VirtualTablets();

    // Plugs a tablet and returns its slot number.
    int plug(const std::string& arguments);
    void unplug(int slot);
    void fault(int slot, const std::string& arguments);
    // The tablet's screen as RGB triples, row after row.
    std::vector<std::uint8_t> screen(int slot);

    std::string run(const std::string& arguments);

private:
    void unplugAll();
};

} // namespace Korva::QELD::Test
