#include "tablet/core/interface_impl.h"
#include "tablet/core/report_split.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace Korva::QEL {
namespace {

struct SplitTest : ::testing::Test {
    ReportLengthTable lengths{};
    std::vector<Report> reports;

    void split(const std::vector<std::uint8_t>& bytes, std::uint16_t maxLength) {
        splitReports(bytes.data(), bytes.size(), lengths, maxLength,
                     [this](const Report& report) { reports.push_back(report); });
    }
};

TEST_F(SplitTest, CutsARunOfReportsAndDropsATrailingPart) {
    lengths[0x05] = 8;
    std::vector<std::uint8_t> bytes;
    for (std::uint8_t i = 0; i < 3; ++i)
        bytes.insert(bytes.end(), {0x05, i, 2, 3, 4, 5, 6, 7});
    split(bytes, 8);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[2], (Report{0x05, 2, 2, 3, 4, 5, 6, 7}));

    reports.clear();
    bytes.insert(bytes.end(), {0x05, 9, 9});
    split(bytes, 8);
    EXPECT_EQ(reports.size(), 3u);
}

TEST_F(SplitTest, StopsAtAnUnknownIdAndStridesByTheLongestReport) {
    lengths[0x01] = 3;
    lengths[0x02] = 6;
    split({0x01, 1, 1, 0, 0, 0, 0x02, 2, 2, 2, 2, 2, 0x07, 0, 0, 0, 0, 0, 0x01, 1, 1}, 6);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0], (Report{0x01, 1, 1}));
    EXPECT_EQ(reports[1], (Report{0x02, 2, 2, 2, 2, 2}));

    reports.clear();
    split({0x00, 1, 2, 3}, 6);
    split({}, 6);
    EXPECT_TRUE(reports.empty());
}

TEST(InterfaceImplTest, IdleStateFeedsOnlyTheCallback) {
    InterfaceImpl impl;
    auto queue = std::make_shared<ReportQueue>();
    impl.attach(queue);
    std::vector<std::size_t> counts;
    const ReportCallback callback = [&](const Report&, std::size_t n) { counts.push_back(n); };

    impl.deliver({1, 2}, callback);
    impl.fail(std::make_exception_ptr(std::runtime_error("gone")));
    impl.setIdle(false);
    impl.deliver({3, 4}, callback);
    impl.deliver({5}, nullptr);
    EXPECT_EQ(counts, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(queue->pop(), (Report{3, 4}));
    EXPECT_EQ(queue->pop(), (Report{5}));
}

TEST(InterfaceImplTest, QueuesHandOverReportsThenTheReadersError) {
    InterfaceImpl impl;
    impl.setIdle(false);
    auto queue = std::make_shared<ReportQueue>();
    impl.attach(queue);
    std::thread reader([&] {
        impl.deliver({7}, nullptr);
        impl.fail(std::make_exception_ptr(std::runtime_error("gone")));
    });
    EXPECT_EQ(queue->pop(), (Report{7}));
    EXPECT_THROW(queue->pop(), std::runtime_error);
    reader.join();

    impl.clearQueues();
    impl.deliver({8}, nullptr);
    EXPECT_EQ(queue->pop(), (Report{8}));
}

} // namespace
} // namespace Korva::QEL
