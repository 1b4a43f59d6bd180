#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Korva::QEL::Test {

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

} // namespace Korva::QEL::Test
