#include "slideshow/core/copy_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Korva::QELD {
namespace {

// The local copy of a share keeps a stretch of the slideshow within its
// bound: pictures in list order up to the first that does not fit, copied
// afresh when missing or changed, and nothing else.
TEST(CopyPlan, KeepsTheListsOrderWithinTheBound) {
    const std::vector<FolderItem> pictures{
        {u"c.jpg", {40, 1}}, {u"a.jpg", {30, 1}}, {u"b.jpg", {50, 1}}, {u"d.jpg", {5, 1}}};
    const std::vector<FolderItem> copy{
        {u"a.jpg", {30, 1}}, {u"c.jpg", {40, 0}}, {u"b.jpg", {50, 1}}, {u"old.jpg", {9, 1}}};
    const CopyPlan plan = planCopy(pictures, copy, 100);
    EXPECT_EQ(plan.kept, (std::vector<FolderItem>{pictures[0], pictures[1]}));
    EXPECT_EQ(plan.bytes, 70u);
    EXPECT_EQ(plan.copy, (std::vector<FolderItem>{pictures[0]}));
    EXPECT_EQ(plan.remove, (std::vector<std::u16string>{u"b.jpg", u"old.jpg"}));
    EXPECT_EQ(planCopy(pictures, {}, 125).bytes, 125u);

    EXPECT_EQ(copyFolderName(u"\\\\Server\\Pics:2\\"), u"server_pics_2");
    EXPECT_TRUE(isShareFolder(u"//server/share/"));
    EXPECT_FALSE(isShareFolder(u"C:\\Pics\\"));
}

} // namespace
} // namespace Korva::QELD
