#include "slideshow/image_list_map.h"
#include "tests/slideshow/list_folder_fixture.h"

#include <filesystem>
#include <fstream>
#include <memory>

namespace Korva::QELD {
namespace {

using namespace Test;

const ScreenFormat screen{0x02, 320, 160};

class ImageListMapTest : public ListFolderTest {
protected:
    DeviceConfig withClip(std::uint8_t clip) const { return {0, 1, clip, true, folderSetting()}; }
    std::unique_ptr<ImageListMap> build(const DeviceConfigMap& configs,
                                        std::size_t cacheLimit = PreparedImages::defaultLimit) {
        settings_.lock().deviceConfigs() = configs;
        return std::make_unique<ImageListMap>(settings_, eventLog_, contentsRenderer(), cacheLimit);
    }
    // Each list's watcher lists its folder first.
    static void awaitListings(ImageListMap& map) {
        for (const auto& item : map.lists())
            ASSERT_TRUE(eventually("every list's first listing",
                                   [&] { return item.second->summary().pictures != 0; }));
    }
    static std::string shown(ImageListMap& map, ModelId model) {
        std::u16string path;
        const auto bytes = map.getImage(model, screen, path);
        return std::string(bytes.begin(), bytes.end());
    }

    ConfigurationData settings_{L"SOFTWARE\\Korva\\QELD list tests"};
};

TEST_F(ImageListMapTest, EqualSettingsShareAListAndAnotherClipGetsItsOwnWatcher) {
    auto map = build({{0, withClip(0x11)}, {3, withClip(0x00)}, {5, withClip(0x11)}});
    const auto& lists = map->lists();
    EXPECT_EQ(lists.at(0), lists.at(5));
    EXPECT_NE(lists.at(0), lists.at(3));

    std::vector<HANDLE> handles{nullptr};
    map->changeEvents(handles);
    ASSERT_EQ(handles.size(), 4u);
    EXPECT_EQ(handles[1], handles[3]);
    EXPECT_NE(handles[1], handles[2]);

    // Both lists watch the same folder with watchers of their own.
    write(L"a.jpg", "a");
    EXPECT_TRUE(signalledWithin(handles[1]));
    EXPECT_TRUE(signalledWithin(handles[2]));
    // A step serves the announcement.
    for (const auto& item : map->lists())
        item.second->advance();
    EXPECT_FALSE(signalledWithin(handles[1], std::chrono::milliseconds(0)));
    EXPECT_FALSE(signalledWithin(handles[2], std::chrono::milliseconds(0)));
}

TEST_F(ImageListMapTest, ModelWithoutSettingsShowsTheGenericList) {
    write(L"generic.jpg", "generic");
    std::filesystem::create_directory(folder_ / L"Model3");
    std::ofstream(folder_ / L"Model3" / L"own.jpg") << "own";
    DeviceConfig own = withClip(0x11);
    own.folder += u"Model3\\";
    auto map = build({{0, withClip(0x11)}, {3, own}});
    awaitListings(*map);
    for (const auto& item : map->lists())
        item.second->advance();
    EXPECT_EQ(shown(*map, 3), "own");
    EXPECT_EQ(shown(*map, 4), "generic");
    std::u16string path;
    map->getImage(4, screen, path);
    EXPECT_EQ(path, entry(L"generic.jpg"));
    EXPECT_EQ(map->get(6), map->get(0));
    EXPECT_TRUE(sink_.reports().empty());
}

TEST_F(ImageListMapTest, ApplyKeepsUnchangedListsAndDestroysUnreferencedOnes) {
    write(L"a.jpg", "a");
    write(L"b.jpg", "b");
    auto map = build({{0, withClip(0x11)}, {1, withClip(0x00)}, {2, withClip(0x22)}});
    awaitListings(*map);
    CampaignList* const generic = map->get(0);
    generic->advance();
    const std::u16string current = generic->currentPath();
    shown(*map, 0);
    const std::weak_ptr<CampaignList> first = map->lists().at(1);
    const std::weak_ptr<CampaignList> second = map->lists().at(2);

    // Model 1 takes model 2's settings: it joins model 2's list, and its own
    // list, held by no model now, is gone at once.
    map->apply({{0, withClip(0x11)}, {1, withClip(0x22)}, {2, withClip(0x22)}});
    EXPECT_TRUE(first.expired());
    EXPECT_EQ(map->lists().at(1), second.lock());

    // The generic list is the same object with the same current picture,
    // fresh mark and prepared image.
    EXPECT_EQ(map->get(0), generic);
    EXPECT_EQ(generic->currentPath(), current);
    shown(*map, 0);
    EXPECT_EQ(renders(), 1);
    generic->advance();
    EXPECT_NE(generic->currentPath(), current);

    // Model 2 now takes the generic settings: the first list with them in
    // ModelId order is model 0's. Models without settings lose their list.
    map->apply({{0, withClip(0x11)}, {1, withClip(0x22)}, {2, withClip(0x11)}});
    EXPECT_EQ(map->get(2), generic);
    map->apply({{0, withClip(0x11)}});
    EXPECT_TRUE(second.expired());
    EXPECT_EQ(map->lists().size(), 1u);
}

// Two lists and three screen formats share one limit: however long the
// slideshow runs, the prepared images of all of them stay within it, and a
// dropped picture is rendered again when it comes round.
TEST_F(ImageListMapTest, PreparedImagesOfAllListsStayWithinOneLimit) {
    for (const wchar_t* name : {L"a.jpg", L"b.jpg", L"c.jpg", L"d.jpg"})
        write(name, std::string(100, 'x'));
    auto map = build({{0, withClip(0x11)}, {3, withClip(0x00)}}, 1000);
    awaitListings(*map);
    const ScreenFormat formats[] = {{0x00, 396, 100}, {0x02, 320, 200}, {0x04, 800, 480}};
    for (int tick = 0; tick < 12; ++tick) {
        for (const auto& item : map->lists())
            item.second->advance();
        for (const ModelId model : {0, 3}) {
            for (const auto& format : formats) {
                std::u16string path;
                EXPECT_EQ(map->getImage(model, format, path).size(), 100u);
            }
        }
        EXPECT_LE(map->preparedImages().bytes(), 1000u);
    }
    EXPECT_EQ(renders(), 12 * 6) << "each tick's six images were dropped before they came round";
}

} // namespace
} // namespace Korva::QELD
