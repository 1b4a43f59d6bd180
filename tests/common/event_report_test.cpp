#include "common/core/event_report.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace Korva::QELD;

TEST(EventReports, CarryTheirInsertsInOrder) {
    const char* thread = "Korva::QELD::DeviceThread::operator ()";
    EXPECT_EQ(EventReports::systemError(-5), (EventReport{0xC0000002, {thread, "-5"}}));
    EXPECT_EQ(EventReports::unexpectedType(), (EventReport{0xC0000004, {thread}}));
    EXPECT_EQ(EventReports::waitResult("f", 42, 0xFFFFFFFF),
              (EventReport{0x80000001, {"f", "42", "ffffffff"}}));
    EXPECT_EQ(EventReports::apiFailure("f", "HidD_SetFeature", 1167),
              (EventReport{0xC0000005, {"f", "HidD_SetFeature", "1167"}}));
}

TEST(EventReports, ExceptionNamesTheDecoratedTypeAndFallsBackForEmptyText) {
    const auto report = EventReports::exception("g", std::range_error("length is out of range"));
    ASSERT_EQ(report.inserts.size(), 3u);
    EXPECT_EQ(report.id, 0xC0000003u);
    EXPECT_EQ(report.inserts[1], typeid(std::range_error).name());
    EXPECT_EQ(report.inserts[2], "length is out of range");
    EXPECT_EQ(EventReports::exception("g", std::runtime_error("")).inserts[2], "Unknown exception");
}

TEST(EventReports, SeverityComesFromTheTopBits) {
    EXPECT_STREQ(eventSeverity(0x40000006), "informational");
    EXPECT_STREQ(eventSeverity(0x80000007), "warning");
    EXPECT_STREQ(eventSeverity(0xC0000008), "error");
}
