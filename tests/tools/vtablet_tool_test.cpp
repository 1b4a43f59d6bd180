#include "tests/tools/vtablet_probe.h"

using namespace Korva::VTablet;
using namespace Korva::VTablet::Probe;

class VTabletTool : public VirtualTablets {};

// The control tool as scripts and the product's tests drive it: plug by
// model key, list, inject and clear faults, read counters and the request
// log, unplug; a bad argument fails with exit code 1.
TEST_F(VTabletTool, PlugListFaultStatusLogUnplug) {
    std::string out;
    ASSERT_EQ(runTool(L"plug QEL40 --size 64x32 --busy 0", out), 0u) << out;
    const std::uint32_t slot = static_cast<std::uint32_t>(std::stoul(out));
    plugged.push_back(slot);
    ASSERT_EQ(runTool(L"list", out), 0u);
    EXPECT_NE(out.find(std::to_string(slot) + " 0C16 64x32 mode=hid composite status=0"),
              std::string::npos)
        << out;

    ASSERT_EQ(runTool(L"fault " + std::to_wstring(slot) + L" status 255", out), 0u) << out;
    EXPECT_EQ(bus->query(slot).state.faults.heldStatus, 255);
    EXPECT_EQ(runTool(L"fault " + std::to_wstring(slot) + L" melt", out), 1u);
    EXPECT_EQ(runTool(L"plug QEL70", out), 1u);

    const HidNode node = waitForHidNode(*bus, slot);
    ASSERT_FALSE(node.path.empty());
    auto hid = openOverlapped(node.path);
    EXPECT_EQ(statusOf(hid.get()), 255);
    ASSERT_EQ(runTool(L"status " + std::to_wstring(slot), out), 0u);
    EXPECT_NE(out.find("status=255\n"), std::string::npos) << out;
    EXPECT_NE(out.find("status_reads=1\n"), std::string::npos) << out;
    ASSERT_EQ(runTool(L"log " + std::to_wstring(slot), out), 0u);
    EXPECT_EQ(out, "0 get 03 5 ok 255\n");

    ASSERT_EQ(runTool(L"fault " + std::to_wstring(slot) + L" none", out), 0u);
    EXPECT_EQ(statusOf(hid.get()), 0);
    ASSERT_EQ(runTool(L"unplug " + std::to_wstring(slot), out), 0u);
    EXPECT_FALSE(bus->query(slot).plugged);
}

// "input" sends its reports one by one, in order; a report of another id,
// no report at all, or a tablet that is gone fail with exit code 1.
TEST_F(VTabletTool, InputSendsWholeReportsInOrder) {
    const std::uint32_t slot = plug(0x0C16, 64, 32);
    const HidNode node = waitForHidNode(*bus, slot);
    ASSERT_FALSE(node.path.empty());
    auto hid = openOverlapped(node.path);
    const std::wstring n = std::to_wstring(slot);
    std::string out;
    ASSERT_EQ(runTool(L"input " + n + L" 01 02 03 04 05 06 07 08 0102030405060709", out), 0u)
        << out;
    for (std::uint8_t last : {0x08, 0x09}) {
        PendingRead read(hid.get());
        ASSERT_EQ(read.finish(1000), 0u);
        EXPECT_EQ(read.received(), (Bytes{1, 2, 3, 4, 5, 6, 7, last}));
    }
    EXPECT_EQ(runTool(L"input " + n + L" 0302030405060708", out), 1u);
    EXPECT_EQ(runTool(L"input " + n, out), 1u);
    ASSERT_EQ(runTool(L"status " + n, out), 0u);
    EXPECT_NE(out.find("input_reports=2\n"), std::string::npos) << out;
    unplug(slot);
    EXPECT_EQ(runTool(L"input " + n + L" 0102030405060708", out), 1u);
}
