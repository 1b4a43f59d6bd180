#include "common/event_log.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <system_error>

using namespace Korva::QELD;

namespace {

struct RecordingSink : EventSink {
    std::vector<EventReport> reports;
    void deliver(const EventReport& report) noexcept override { reports.push_back(report); }
};

} // namespace

TEST(EventLog, WithoutSourceReportsReachOnlyTheSink) {
    RecordingSink sink;
    EventLog log({}, &sink);
    EXPECT_FALSE(log.report(Event_NoConfiguration));
    EXPECT_FALSE(log.reportSystemError(1167));
    EXPECT_FALSE(log.reportException("Korva::QELD::DeviceList::setUpdateEvents",
                                     std::logic_error("broken")));
    ASSERT_EQ(sink.reports.size(), 3u);
    EXPECT_EQ(sink.reports[1].inserts[1], "1167");
    EXPECT_EQ(sink.reports[2].inserts[2], "broken");
}

// Wine's event log accepts reports but keeps nothing; the write still
// succeeds, which is all the program relies on.
TEST(EventLog, RegisteredSourceAcceptsReports) {
    EventLog log(registerEventSource());
    EXPECT_TRUE(log.report(Event_DeviceRemoved));
}

TEST(EventLog, RendersEveryInsertThroughTheMessageTable) {
    EXPECT_EQ(renderReport(EventReports::systemError(31)),
              "system_error exception in Korva::QELD::DeviceThread::operator ()   "
              "std::system_error 31");
    EXPECT_EQ(renderReport(EventReports::waitResult("Korva::QELD::DeviceThread", 120, 0x102)),
              "Unexpected result (0x102) from MsgWaitForMultipleObjectsEx in "
              "Korva::QELD::DeviceThread @120");
    EXPECT_EQ(renderReport(EventReports::apiFailure("f", "HidD_GetFeature", 31)),
              "f failed in HidD_GetFeature. Error = 31");
    EXPECT_EQ(renderReport(EventReports::plain(Event_DeviceRemoved)),
              "The device has been removed");
}
