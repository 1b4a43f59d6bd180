#include "tools/vtablet/core/command_args.h"

#include "tools/vtablet/model/child_ids.h"

#include <gtest/gtest.h>

#include <string>

using namespace Korva::VTablet;

TEST(VTabletArgs, PlugTakesModelKeysHexIdsAndOptions) {
    EXPECT_EQ(parseProduct("QEL40"), 0x0C16);
    EXPECT_EQ(parseProduct("qel60"), 0x0C1A);
    EXPECT_EQ(parseProduct("0x0c1b"), 0x0C1B);
    EXPECT_EQ(parseProduct("0C1F"), 0x0C1F);
    EXPECT_FALSE(parseProduct("QEL70"));

    const auto plain = parsePlug({"QEL40"});
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->width, 320);
    EXPECT_EQ(plain->height, 200);
    EXPECT_EQ(plain->composite, 1);
    EXPECT_EQ(plain->bulk, 0);
    EXPECT_EQ(plain->busyPolls, 2u);

    const auto full =
        parsePlug({"0C17", "--size", "100x50", "--bulk", "--busy", "0", "--usb", "full"});
    ASSERT_TRUE(full);
    EXPECT_EQ(full->width, 100);
    EXPECT_EQ(full->height, 50);
    EXPECT_EQ(full->bulk, 1);
    EXPECT_EQ(full->busyPolls, 0u);
    EXPECT_EQ(full->latencyMs, 1u);
    EXPECT_EQ(full->bulkBytesPerSecond, 1000000u);
    EXPECT_EQ(plain->latencyMs + plain->bulkBytesPerSecond, 0u) << "instant by default";

    EXPECT_FALSE(parsePlug({"QEL40", "--bulk", "--noncomposite"})) << "bulk needs MI_01";
    EXPECT_FALSE(parsePlug({"QEL40", "--size", "0x10"}));
    EXPECT_FALSE(parsePlug({"QEL40", "--size", "1281x10"}));
    EXPECT_FALSE(parsePlug({"QEL40", "--size"}));
    EXPECT_FALSE(parsePlug({"QEL40", "--fast"}));
    EXPECT_FALSE(parsePlug({"QEL40", "--usb", "high"}));
}

TEST(VTabletArgs, FaultsSetAndClear) {
    Faults f{};
    EXPECT_TRUE(applyFault(f, "status", "255"));
    EXPECT_EQ(f.holdStatus, 1);
    EXPECT_EQ(f.heldStatus, 255);
    EXPECT_TRUE(applyFault(f, "refuse", "3"));
    EXPECT_TRUE(applyFault(f, "pull", ""));
    EXPECT_EQ(f.refuseCount, 3u);
    EXPECT_EQ(f.pullInTransfer, 1);
    EXPECT_TRUE(applyFault(f, "status", "off"));
    EXPECT_EQ(f.holdStatus, 0);
    EXPECT_FALSE(applyFault(f, "status", "256"));
    EXPECT_FALSE(applyFault(f, "latency", "soon"));
    EXPECT_FALSE(applyFault(f, "melt", "1"));
    EXPECT_TRUE(applyFault(f, "none", ""));
    EXPECT_EQ(f.refuseCount, 0u);
    EXPECT_EQ(f.pullInTransfer, 0);
}

TEST(VTabletArgs, InputTakesWholeReportsInHex) {
    const std::vector<uint8_t> one{0x01, 0x0A, 0xFF, 0, 0, 0, 0, 0x80};
    EXPECT_EQ(parseInputReports({"01", "0a", "FF", "00000000", "80"}), one);
    EXPECT_EQ(parseInputReports({"010aff0000000080", "0102030405060708"}).size(), 16u);
    EXPECT_TRUE(parseInputReports({}).empty());
    EXPECT_TRUE(parseInputReports({"01020304050607"}).empty()) << "short report";
    EXPECT_TRUE(parseInputReports({"010aff00000000800102"}).empty()) << "trailing partial";
    EXPECT_TRUE(parseInputReports({"020aff0000000080"}).empty()) << "not an input report id";
    EXPECT_TRUE(parseInputReports({"010aff0000000080", "0203040506070809"}).empty());
    EXPECT_TRUE(parseInputReports({"0x0aff0000000080"}).empty());
    EXPECT_TRUE(parseInputReports({"010aff000000008"}).empty()) << "odd digit count";
    EXPECT_TRUE(parseInputReports({"010aff00000000zz"}).empty());
}

TEST(VTabletArgs, ListAndLogLines) {
    SlotInfo info{};
    info.plugged = 1;
    info.state.setup = {0x0C16, 320, 200, 1, 1, 2, 0, 0};
    info.state.status = 4;
    EXPECT_EQ(listLine(2, info), "2 0C16 320x200 mode=bulk composite status=4");
    info.state.sequence = logSize + 1; // the oldest entry was overwritten
    for (uint32_t seq = 1; seq <= logSize; ++seq)
        info.state.log[seq % logSize] = {seq, 5, LogOp_Get, 0x03, 0, 0};
    info.state.log[logSize % logSize] = {logSize, 256, LogOp_Set, 0x26, 1, 1};
    const std::string log = logText(info.state);
    EXPECT_EQ(log.substr(0, log.find('\n')), "1 get 03 5 ok 0");
    EXPECT_NE(log.find("64 set 26 256 refused 1\n"), std::string::npos);
}

TEST(VTabletArgs, ChildIdsMatchWhatDiscoveryParses) {
    char16_t id[128];
    ASSERT_GT(childDeviceId(id, 128, 0x0C16, 0), 0u);
    EXPECT_EQ(std::u16string(id), u"USB\\VID_2B7C&PID_0C16&REV_0100&MI_00");
    ASSERT_GT(childDeviceId(id, 128, 0x0C13, nonComposite), 0u);
    EXPECT_EQ(std::u16string(id), u"USB\\VID_2B7C&PID_0C13&REV_0100");
    const size_t n = childHardwareIds(id, 128, 0x0C16, 1);
    EXPECT_EQ(std::u16string(id, n),
              std::u16string(
                  u"USB\\VID_2B7C&PID_0C16&REV_0100&MI_01\0USB\\VID_2B7C&PID_0C16&MI_01\0\0", n));
    EXPECT_EQ(childInstanceId(id, 128, 3, 17), 7u) << "with its terminator";
    EXPECT_EQ(std::u16string(id), u"QV3_17");
    EXPECT_EQ(childInstanceId(id, 5, 3, 17), 0u) << "too small a buffer";
}
