#include "common/core/utf.h"
#include "slideshow/core/image_list_changes.h"
#include "slideshow/core/image_list_names.h"
#include "slideshow/image_list_sharing.h"
#include "slideshow/core/image_list_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace Korva::QELD {
namespace {

TEST(PictureFileNames, AcceptsTheTableExtensionsInAnyAsciiCase) {
    for (const char16_t* name : {u"A.JPG", u"b.Jpeg", u"c.tiff", u"g.PnG", u"h.bmp", u"i.GIF",
                                 u"j.tif", u"C:/Pics/k.jpg", u"x.y.png"})
        EXPECT_TRUE(isPictureFile(name)) << utf8FromUtf16(name);
    for (const char16_t* name :
         {u"", u"d.jfif", u"e.jpg.txt", u"f.", u"nodot", u"jpg", u".", u"x.jp", u"x.jpegs",
          u"C:/my.pics/file", u"C:/a.bmp/x", u"x.J\u0050G\u0301", u"x.\uFF2A\uFF30\uFF27"})
        EXPECT_FALSE(isPictureFile(name)) << utf8FromUtf16(name);
}

TEST(PictureFileNames, EntryPathsAreLowerCasedByTheAsciiRuleOnly) {
    EXPECT_EQ(entryPath(u"C:/Pics/", u"Photo.JPG"), u"c:/pics/photo.jpg");
    // Capitals outside A to Z (here Ä and a full-width A) are kept as they are.
    EXPECT_EQ(entryPath(u"C:\\\u00C4pfel\\", u"\uFF21B.PNG"), u"c:\\\u00C4pfel\\\uFF21b.png");
    EXPECT_EQ(asciiLower(u"@AZ[`az{"), u"@az[`az{");
}

// Builds the records of a completed folder read as the system lays them out.
std::vector<std::uint8_t> notificationBuffer(const std::vector<FileChange>& changes) {
    std::vector<std::uint8_t> buffer;
    for (size_t i = 0; i < changes.size(); ++i) {
        const auto& name = changes[i].name;
        const size_t start = buffer.size();
        const std::uint32_t nameBytes = static_cast<std::uint32_t>(name.size() * 2);
        const std::uint32_t length = (12 + nameBytes + 3) / 4 * 4;
        const std::uint32_t next = i + 1 < changes.size() ? length : 0;
        buffer.resize(start + length);
        std::memcpy(&buffer[start], &next, 4);
        std::memcpy(&buffer[start + 4], &changes[i].action, 4);
        std::memcpy(&buffer[start + 8], &nameBytes, 4);
        std::memcpy(&buffer[start + 12], name.data(), nameBytes);
    }
    return buffer;
}

TEST(FolderNotifications, ReadsChainedRecordsAndStopsAtDamage) {
    const std::vector<FileChange> changes{{FileAction_Added, u"new.jpg"},
                                          {FileAction_RenamedOld, u"a.png"},
                                          {FileAction_RenamedNew, u"b.png"}};
    auto buffer = notificationBuffer(changes);
    EXPECT_EQ(parseNotifications(buffer.data(), buffer.size()), changes);
    EXPECT_TRUE(parseNotifications(buffer.data(), 0).empty());

    // A name longer than what is left ends the reading before that record.
    const std::uint32_t tooLong = 4000;
    std::memcpy(&buffer[28 + 8], &tooLong, 4);
    EXPECT_EQ(parseNotifications(buffer.data(), buffer.size()),
              std::vector<FileChange>(changes.begin(), changes.begin() + 1));

    // A next-entry offset beyond the buffer ends it after the current record.
    const std::uint32_t farAway = 0x10000;
    std::memcpy(&buffer[0], &farAway, 4);
    EXPECT_EQ(parseNotifications(buffer.data(), buffer.size()).size(), 1u);

    // A truncated buffer keeps only the records that fit whole.
    buffer = notificationBuffer(changes);
    EXPECT_EQ(parseNotifications(buffer.data(), buffer.size() - 4).size(), 2u);
}

// A picture list over a fake renderer that counts how often it is asked.
struct ListFixture : ::testing::Test {
    int renders = 0;
    DeviceConfig config{0, 1, 0x11, true, u"C:/Pics/"};
    PreparedImages images;
    ImageListState list{config, images, [this](const std::u16string& path, const ImageParameters&) {
                            ++renders;
                            return std::vector<std::uint8_t>(path.begin(), path.end());
                        }};

    void fill(std::vector<std::u16string> names) {
        list.reconcile(items(names));
        list.restart();
    }
    static std::vector<FolderItem> items(const std::vector<std::u16string>& names,
                                         FileStamp stamp = {}) {
        std::vector<FolderItem> result;
        for (const auto& name : names)
            result.push_back({name, stamp});
        return result;
    }
    std::u16string currentPath() {
        return list.current() ? list.current()->path() : std::u16string(u"(none)");
    }
    std::vector<std::u16string> paths() const {
        std::vector<std::u16string> result;
        for (const auto& entry : list.entries())
            result.push_back(entry.path().substr(8));
        return result;
    }
    bool change(std::uint32_t action, std::u16string name) {
        return list.applyChanges({{action, std::move(name)}});
    }
};

using Names = std::vector<std::u16string>;

TEST_F(ListFixture, ListingKeepsOrderAndAdvanceKeepsAFreshPictureOneTick) {
    fill({u"B.jpg", u"notes.txt", u"a.PNG", u"c.gif", u"."});
    EXPECT_EQ(paths(), (Names{u"b.jpg", u"a.png", u"c.gif"}));
    EXPECT_EQ(currentPath(), u"c:/pics/b.jpg");
    EXPECT_TRUE(list.advance());
    EXPECT_EQ(currentPath(), u"c:/pics/b.jpg");
    list.advance();
    list.advance();
    EXPECT_EQ(currentPath(), u"c:/pics/c.gif");
    list.advance();
    EXPECT_EQ(currentPath(), u"c:/pics/b.jpg");
}

TEST_F(ListFixture, EmptyListAndSinglePicture) {
    fill({});
    EXPECT_FALSE(list.advance());
    EXPECT_EQ(list.current(), nullptr);
    // The first addition is announced once and becomes the current picture,
    // fresh for the step the announcement brings; a single picture stays
    // current at every step.
    EXPECT_TRUE(change(FileAction_Added, u"one.jpg"));
    EXPECT_FALSE(change(FileAction_Added, u"two.txt"));
    EXPECT_EQ(currentPath(), u"c:/pics/one.jpg");
    EXPECT_TRUE(list.fresh());
    EXPECT_TRUE(list.advance());
    EXPECT_TRUE(list.advance());
    EXPECT_EQ(currentPath(), u"c:/pics/one.jpg");
    EXPECT_FALSE(change(FileAction_Added, u"second.jpg"));
}

TEST_F(ListFixture, RemovingTheCurrentPictureShowsTheNextAtTheNextTick) {
    fill({u"a.jpg", u"b.jpg", u"c.jpg"});
    list.advance();
    EXPECT_FALSE(list.fresh());
    EXPECT_FALSE(change(FileAction_Removed, u"A.JPG"));
    EXPECT_EQ(currentPath(), u"c:/pics/b.jpg");
    EXPECT_TRUE(list.fresh());
    list.advance();
    EXPECT_EQ(currentPath(), u"c:/pics/b.jpg");

    // The last picture, removed while current, hands over to the first.
    list.advance();
    EXPECT_EQ(currentPath(), u"c:/pics/c.jpg");
    change(FileAction_Removed, u"c.jpg");
    EXPECT_EQ(currentPath(), u"c:/pics/b.jpg");

    // Removing a file the list does not hold, or a picture not shown, leaves
    // the current picture alone.
    list.advance();
    change(FileAction_Removed, u"zzz.jpg");
    EXPECT_EQ(currentPath(), u"c:/pics/b.jpg");
    EXPECT_FALSE(list.fresh());

    change(FileAction_Removed, u"b.jpg");
    EXPECT_EQ(list.current(), nullptr);
    EXPECT_TRUE(change(FileAction_Added, u"d.jpg"));
}

TEST_F(ListFixture, RenamesRemoveTheOldNameAndAddTheNewOne) {
    fill({u"a.jpg", u"b.jpg", u"c.jpg"});
    list.advance();
    EXPECT_FALSE(list.applyChanges(
        {{FileAction_RenamedOld, u"a.jpg"}, {FileAction_RenamedNew, u"Renamed.JPG"}}));
    EXPECT_EQ(paths(), (Names{u"b.jpg", u"c.jpg", u"renamed.jpg"}));
    EXPECT_EQ(currentPath(), u"c:/pics/b.jpg");

    // A picture renamed to another kind leaves; a file renamed into a
    // picture name arrives.
    list.applyChanges({{FileAction_RenamedOld, u"c.jpg"}, {FileAction_RenamedNew, u"c.txt"}});
    list.applyChanges({{FileAction_RenamedOld, u"d.part"}, {FileAction_RenamedNew, u"d.png"}});
    EXPECT_EQ(paths(), (Names{u"b.jpg", u"renamed.jpg", u"d.png"}));

    // Renaming onto a name already listed keeps one entry for it.
    list.applyChanges({{FileAction_RenamedOld, u"b.jpg"}, {FileAction_RenamedNew, u"d.png"}});
    EXPECT_EQ(paths(), (Names{u"renamed.jpg", u"d.png"}));
}

TEST_F(ListFixture, ModifiedOrReAddedFileDropsItsPreparedImages) {
    fill({u"a.jpg", u"b.jpg"});
    const ScreenFormat screen{0x02, 320, 240};
    list.current()->getImage(screen);
    list.current()->getImage(screen);
    EXPECT_EQ(renders, 1);
    change(FileAction_Modified, u"b.jpg");
    list.current()->getImage(screen);
    EXPECT_EQ(renders, 1);
    change(FileAction_Modified, u"A.jpg");
    list.current()->getImage(screen);
    EXPECT_EQ(renders, 2);
    change(FileAction_Added, u"a.jpg");
    list.current()->getImage(screen);
    EXPECT_EQ(renders, 3);
    EXPECT_EQ(paths(), (Names{u"a.jpg", u"b.jpg"}));
}

TEST_F(ListFixture, ReconcileKeepsSurvivorsDropsVanishedAppendsNew) {
    fill({u"a.jpg", u"b.jpg", u"c.jpg", u"d.jpg"});
    list.advance();
    list.advance();
    const ScreenFormat screen{0x04, 100, 100};
    list.current()->getImage(screen);
    EXPECT_FALSE(list.reconcile(items({u"e.jpg", u"D.JPG", u"b.jpg", u"x.txt", u"a.jpg"})));
    EXPECT_EQ(paths(), (Names{u"a.jpg", u"b.jpg", u"d.jpg", u"e.jpg"}));
    EXPECT_EQ(currentPath(), u"c:/pics/b.jpg");
    EXPECT_FALSE(list.fresh());
    list.current()->getImage(screen);
    EXPECT_EQ(renders, 1);

    // A file of another size or time (overwritten without a notification)
    // is rendered again, from its own path even when a copy was read.
    list.current()->readFrom(u"c:/copy/b.jpg");
    EXPECT_FALSE(list.reconcile(items({u"a.jpg", u"b.jpg", u"d.jpg", u"e.jpg"}, {1, 0})));
    EXPECT_EQ(list.current()->source(), u"c:/pics/b.jpg");
    list.current()->getImage(screen);
    list.current()->getImage(screen);
    EXPECT_EQ(renders, 2);

    // The current picture vanished: the next survivor takes over, fresh.
    EXPECT_FALSE(list.reconcile(items({u"a.jpg", u"e.jpg"}, {1, 0})));
    EXPECT_EQ(currentPath(), u"c:/pics/e.jpg");
    EXPECT_TRUE(list.fresh());

    EXPECT_FALSE(list.reconcile({}));
    EXPECT_EQ(list.current(), nullptr);
    EXPECT_TRUE(list.reconcile(items({u"f.jpg"})));
    EXPECT_FALSE(list.reconcile(items({u"f.jpg", u"g.jpg"})));
}

TEST_F(ListFixture, MatchesOnExactFolderAndAllLayoutFields) {
    EXPECT_TRUE(list.matches(config));
    for (auto changed :
         {DeviceConfig{0, 1, 0x11, true, u"c:/pics/"}, DeviceConfig{1, 1, 0x11, true, u"C:/Pics/"},
          DeviceConfig{0, 2, 0x11, true, u"C:/Pics/"}, DeviceConfig{0, 1, 0x12, true, u"C:/Pics/"},
          DeviceConfig{0, 1, 0x11, false, u"C:/Pics/"}})
        EXPECT_FALSE(list.matches(changed));
}

// Stands for a picture list in the sharing rules.
struct FakeList {
    DeviceConfig config;
    bool matches(const DeviceConfig& other) const { return config == other; }
};

TEST(ListSharing, EqualSettingsShareTheFirstListInModelOrder) {
    ListsByModel<FakeList> lists;
    int made = 0;
    auto assign = [&](ModelId model, const DeviceConfig& config) {
        assignList(lists, model, config, [&] {
            ++made;
            return std::make_shared<FakeList>(FakeList{config});
        });
    };
    const DeviceConfig generic{0, 1, 0x11, true, u"C:/P/"};
    const DeviceConfig clipped{0, 1, 0x00, true, u"C:/P/"};
    assign(0, generic);
    assign(1, clipped);
    assign(2, generic);
    assign(3, clipped);
    EXPECT_EQ(made, 2);
    EXPECT_EQ(lists[2], lists[0]);
    EXPECT_EQ(lists[3], lists[1]);
    EXPECT_NE(lists[0], lists[1]);

    // Model 1 takes model 0's settings: it joins model 0's list, and model 3
    // keeps the clipped list alone.
    const std::weak_ptr<FakeList> clippedList = lists[1];
    assign(1, generic);
    EXPECT_EQ(lists[1], lists[0]);
    EXPECT_FALSE(clippedList.expired());

    // Once model 3 changes too, nothing holds the clipped list any more.
    const DeviceConfig other{1, 0, 0x22, false, u"D:/Q/"};
    assign(3, other);
    EXPECT_TRUE(clippedList.expired());
    EXPECT_EQ(made, 3);

    // Models without settings lose their list at once.
    const std::weak_ptr<FakeList> otherList = lists[3];
    dropUnconfigured(lists, DeviceConfigMap{{0, generic}, {1, generic}});
    EXPECT_EQ(lists.size(), 2u);
    EXPECT_TRUE(otherList.expired());
}

} // namespace
} // namespace Korva::QELD
