#include "tests/tools/vtablet_probe.h"

extern "C" {
#include <winternl.h>
#include <hidusage.h>
#include <hidpi.h>
#include <hidsdi.h>
}

#include <map>
#include <system_error>

using namespace Korva::VTablet;
using namespace Korva::VTablet::Probe;

class VTabletHid : public OneTablet {
protected:
    void SetUp() override { plugOne(0x0C16, 320, 200); }
    std::uint8_t status() { return statusOf(hid.get()); }
};

TEST_F(VTabletHid, AttributesCapsAndValueCaps) {
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    ASSERT_TRUE(HidD_GetAttributes(hid.get(), &attributes));
    EXPECT_EQ(attributes.VendorID, 0x2B7C);
    EXPECT_EQ(attributes.ProductID, 0x0C16);
    EXPECT_EQ(attributes.VersionNumber, 0x0100);

    PHIDP_PREPARSED_DATA preparsed = nullptr;
    ASSERT_TRUE(HidD_GetPreparsedData(hid.get(), &preparsed));
    HIDP_CAPS caps{};
    ASSERT_EQ(HidP_GetCaps(preparsed, &caps), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(caps.InputReportByteLength, 8);
    EXPECT_EQ(caps.FeatureReportByteLength, 256);

    std::map<int, int> lengths; // report id -> length with the id byte
    for (HIDP_REPORT_TYPE type : {HidP_Input, HidP_Feature}) {
        USHORT count = type == HidP_Input ? caps.NumberInputValueCaps : caps.NumberFeatureValueCaps;
        std::vector<HIDP_VALUE_CAPS> values(count);
        ASSERT_EQ(HidP_GetValueCaps(type, values.data(), &count, preparsed), HIDP_STATUS_SUCCESS);
        for (const HIDP_VALUE_CAPS& v : values)
            lengths[v.ReportID] = v.ReportCount + 1;
    }
    HidD_FreePreparsedData(preparsed);
    const std::map<int, int> expected{{0x01, 8}, {0x03, 5},   {0x09, 17}, {0x20, 2},
                                      {0x25, 2}, {0x26, 256}, {0x27, 2}};
    EXPECT_EQ(lengths, expected);
}

TEST_F(VTabletHid, FeatureReportsOfEachId) {
    EXPECT_EQ(status(), 0);
    Bytes capability(17, 0);
    capability[0] = 0x09;
    ASSERT_TRUE(getReport(hid.get(), capability));
    EXPECT_EQ(capability[7] << 8 | capability[8], 320);
    EXPECT_EQ(capability[9] << 8 | capability[10], 200);
    EXPECT_TRUE(setReport(hid.get(), {0x20, 0x00}));

    Bytes refused(256, 0);
    refused[0] = 0x26;
    EXPECT_FALSE(setReport(hid.get(), refused)) << "data before a start";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));

    ASSERT_TRUE(setReport(hid.get(), {0x25, 0x02}));
    EXPECT_EQ(status(), 1);
    Bytes shortForm(256, 0), longForm(2560, 0);
    shortForm[0] = longForm[0] = 0x26;
    shortForm[1] = 253;
    longForm[1] = 0xFD; // 2557 = 0x09FD
    longForm[2] = 0x09;
    EXPECT_TRUE(setReport(hid.get(), shortForm));
    // Wine's hidclass cuts a report to its declared length, so the long
    // form reaches the tablet malformed and is refused there (the model's
    // own tests cover the long form).
    EXPECT_FALSE(setReport(hid.get(), longForm));
    EXPECT_TRUE(setReport(hid.get(), {0x27, 0x01}));
    EXPECT_EQ(status(), 0);
    EXPECT_EQ(bus->query(slot).state.counters.abandoned, 1u);
}

TEST_F(VTabletHid, PendingReadEndsWithCancelIo) {
    PendingRead read(hid.get());
    ASSERT_TRUE(read.pending());
    EXPECT_EQ(read.finish(100), static_cast<DWORD>(WAIT_TIMEOUT));
    ASSERT_TRUE(CancelIo(hid.get()));
    EXPECT_EQ(read.finish(1000), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
}

// An injected input report ends the waiting read with its 8 bytes. Reports
// sent while the program has no read waiting are kept (by hidclass, which
// reads the tablet all the time) for its next reads, in order. The driver
// refuses a report that is not an input report.
TEST_F(VTabletHid, InjectedInputReportsEndReadsInOrder) {
    const Bytes first{0x01, 1, 2, 3, 4, 5, 6, 7};
    {
        PendingRead read(hid.get());
        ASSERT_TRUE(read.pending());
        EXPECT_EQ(read.finish(100), static_cast<DWORD>(WAIT_TIMEOUT));
        bus->sendInput(slot, first.data());
        ASSERT_EQ(read.finish(1000), 0u);
        EXPECT_EQ(read.received(), first);
    }
    const Bytes later[3] = {{0x01, 0, 0, 0, 0, 0, 0, 0x10},
                            {0x01, 0xFF, 0, 0, 0, 0, 0, 0x11},
                            {0x01, 0, 0, 0, 0, 0, 0xFF, 0x12}};
    for (const Bytes& report : later)
        bus->sendInput(slot, report.data());
    for (const Bytes& report : later) {
        PendingRead read(hid.get());
        ASSERT_EQ(read.finish(1000), 0u);
        EXPECT_EQ(read.received(), report);
    }
    EXPECT_EQ(bus->query(slot).state.counters.inputReports, 4u);
    EXPECT_EQ(status(), 0) << "feature reports go on beside input";

    const Bytes feature{0x03, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_THROW(bus->sendInput(slot, feature.data()), std::system_error);
}
