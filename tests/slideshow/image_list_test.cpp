#include "slideshow/image_list.h"
#include "tests/slideshow/list_folder_fixture.h"
#include "slideshow/picture_copy.h"
#include "tests/support/test_share.h"
#include "tests/support/unix_shell.h"
#include "tests/support/wine_paths.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

namespace Korva::QELD {
namespace {

using namespace Test;
using Test::runUnix;
using Test::unixPath;
using Paths = std::vector<std::u16string>;

const ScreenFormat screen{0x04, 320, 240};

class ImageListTest : public ListFolderTest {
protected:
    DeviceConfig config() const { return {0, 1, 0x11, true, folderSetting()}; }
    // The watcher lists the folder first; a folder with files (all of them
    // pictures here) announces its first picture.
    std::unique_ptr<ImageList> openList(ImageRenderer render = {}) {
        auto list = std::make_unique<ImageList>(config(), eventLog_, images_,
                                                render ? std::move(render) : contentsRenderer());
        const std::filesystem::directory_iterator files(folder_);
        if (std::any_of(begin(files), end(files),
                        [](const auto& file) { return file.is_regular_file(); })) {
            EXPECT_TRUE(signalledWithin(list->changeEvent()));
        }
        return list;
    }
    Paths entries(std::initializer_list<const wchar_t*> names) const {
        Paths result;
        for (const wchar_t* name : names)
            result.push_back(entry(name));
        std::sort(result.begin(), result.end());
        return result;
    }
    static Paths sorted(Paths paths) {
        std::sort(paths.begin(), paths.end());
        return paths;
    }
    static std::string shown(ImageList& list) {
        std::u16string path;
        const auto bytes = list.getImage(screen, path);
        return std::string(bytes.begin(), bytes.end());
    }
    static testing::AssertionResult follows(ImageList& list, const Paths& expected) {
        return eventually("the list to hold " + std::to_string(expected.size()) +
                              " expected pictures",
                          [&] { return sorted(list.paths()) == expected; });
    }
    // Waits until the watcher follows the folder through its notifications.
    void awaitWatching(ImageList& list) {
        write(L"watching.gif", "watching");
        ASSERT_TRUE(eventually("the list to take in watching.gif", [&] {
            const auto paths = list.paths();
            return std::find(paths.begin(), paths.end(), entry(L"watching.gif")) != paths.end();
        }));
    }
};

TEST_F(ImageListTest, ScanTakesPictureNamesWithLowerCasedPaths) {
    for (const wchar_t* name :
         {L"A.JPG", L"b.Jpeg", L"c.tiff", L"g.PnG", L"d.jfif", L"e.jpg.txt", L"f.", L"noext"})
        write(name, "picture");
    std::filesystem::create_directory(folder_ / L"Album.png");
    auto list = openList();
    const Paths expected = entries({L"a.jpg", L"album.png", L"b.jpeg", L"c.tiff", L"g.png"});
    EXPECT_EQ(sorted(list->paths()), expected);
    for (const auto& path : list->paths())
        EXPECT_EQ(path.find(u"QELD"), std::u16string::npos);
    EXPECT_TRUE(list->advance());
    EXPECT_EQ(list->currentPath(), list->paths().front());
    EXPECT_EQ(shown(*list), "picture");
    EXPECT_TRUE(sink_.reports().empty());
}

TEST_F(ImageListTest, FollowsAdditionsAndRemovals) {
    auto list = openList();
    EXPECT_FALSE(list->advance());
    EXPECT_TRUE(shown(*list).empty());

    // The first picture is announced; further ones are not.
    write(L"1.jpg", "one");
    ASSERT_TRUE(signalledWithin(list->changeEvent()));
    EXPECT_TRUE(list->advance());
    EXPECT_EQ(shown(*list), "one");
    write(L"2.jpg", "two");
    write(L"3.jpg", "three");
    ASSERT_TRUE(follows(*list, entries({L"1.jpg", L"2.jpg", L"3.jpg"})));
    EXPECT_FALSE(signalledWithin(list->changeEvent(), std::chrono::milliseconds(0)));

    // Deleting the picture shown makes the next one current, shown at the
    // next tick rather than skipped.
    list->advance();
    ASSERT_EQ(list->currentPath(), entry(L"2.jpg"));
    remove(L"2.jpg");
    ASSERT_TRUE(eventually("3.jpg to become current",
                           [&] { return list->currentPath() == entry(L"3.jpg"); }));
    list->advance();
    EXPECT_EQ(shown(*list), "three");

    // Deleting the last picture while it is shown makes the first current.
    remove(L"3.jpg");
    ASSERT_TRUE(eventually("1.jpg to become current",
                           [&] { return list->currentPath() == entry(L"1.jpg"); }));
    EXPECT_TRUE(sink_.reports().empty());
}

TEST_F(ImageListTest, RenamedFilesAreFollowedUnderTheirNewNames) {
    write(L"a.jpg", "a");
    write(L"b.jpg", "b");
    write(L"upload.tmp", "upload");
    auto list = openList();
    rename(L"a.jpg", L"Z.jpg");
    ASSERT_TRUE(follows(*list, entries({L"b.jpg", L"z.jpg"})));
    rename(L"upload.tmp", L"upload.png");
    ASSERT_TRUE(follows(*list, entries({L"b.jpg", L"upload.png", L"z.jpg"})));
    rename(L"b.jpg", L"b.txt");
    ASSERT_TRUE(follows(*list, entries({L"upload.png", L"z.jpg"})));
    list->advance();
    EXPECT_FALSE(shown(*list).empty());
}

TEST_F(ImageListTest, RewrittenPictureIsPreparedAgain) {
    write(L"p.bmp", "first");
    auto list = openList();
    awaitWatching(*list);
    list->advance();
    EXPECT_EQ(shown(*list), "first");
    EXPECT_EQ(shown(*list), "first");
    EXPECT_EQ(renders(), 1);
    write(L"p.bmp", "second, longer");
    EXPECT_TRUE(
        eventually("the rewrite to be shown", [&] { return shown(*list) == "second, longer"; }));
    // A rewrite that keeps the size is followed too.
    write(L"p.bmp", "SECOND, LONGER");
    EXPECT_TRUE(eventually("the rewrite of the same size to be shown",
                           [&] { return shown(*list) == "SECOND, LONGER"; }));
}

TEST_F(ImageListTest, PictureCopiedInSlowlyEndsUpWhole) {
    auto list = openList();
    write(L"slow.png", "chunk0;");
    ASSERT_TRUE(signalledWithin(list->changeEvent()));
    list->advance();
    EXPECT_EQ(shown(*list), "chunk0;");
    std::string whole = "chunk0;";
    for (int i = 1; i < 6; ++i) {
        // The pause is the slow copy itself, not a wait for the list.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        const std::string chunk = "chunk" + std::to_string(i) + ";";
        append(L"slow.png", chunk);
        whole += chunk;
    }
    EXPECT_TRUE(eventually("the whole picture to be shown", [&] { return shown(*list) == whole; }));
    EXPECT_EQ(list->paths(), Paths{entry(L"slow.png")});
}

TEST_F(ImageListTest, FolderCreatedAfterStartIsPickedUp) {
    const std::filesystem::path later = folder_ / L"Later";
    const std::wstring setting = later.wstring() + L"\\";
    ImageList list({0, 1, 0x11, true, std::u16string(setting.begin(), setting.end())}, eventLog_,
                   images_, contentsRenderer());
    EXPECT_TRUE(list.paths().empty());
    ASSERT_TRUE(eventually("a report that the folder is missing",
                           [&] { return !sink_.reports().empty(); }));
    EXPECT_EQ(
        sink_.reports(),
        (std::vector<EventReport>{
            {Event_ApiFailure, {"Korva::QELD::ImageList::readDirectory", "FindFirstFile", "3"}}}));

    // The report above says that the watcher has already failed to open the
    // folder.
    std::filesystem::create_directory(later);
    std::ofstream(later / L"x.gif") << "x";
    ASSERT_TRUE(signalledWithin(list.changeEvent()));
    EXPECT_EQ(list.paths().size(), 1u);
    std::ofstream(later / L"y.gif") << "y";
    EXPECT_TRUE(eventually("the list to take in y.gif", [&] { return list.paths().size() == 2; }));
}

// Far more changes happen at once, while a render is under way, than one
// notification buffer holds; where the system reports that it lost them, the
// list is brought in line by listing the folder again.
TEST_F(ImageListTest, LostNotificationsAreRecoveredByListingAgain) {
    write(L"keep.jpg", "keep");
    write(L"gone.jpg", "gone");
    std::atomic<bool> holding{false};
    const Win32::unique_event release = Win32::createEvent();
    auto contents = contentsRenderer();
    auto list = openList([&](const std::u16string& path, const ImageParameters& key) {
        holding = true;
        ::WaitForSingleObject(release.get(), INFINITE);
        return contents(path, key);
    });
    list->advance();
    std::thread render([&] {
        std::u16string path;
        list->getImage(screen, path);
    });
    ASSERT_TRUE(eventually("the render to start", [&] { return holding.load(); }));

    Paths expected{entry(L"keep.jpg")};
    for (int i = 0; i < 2000; ++i) {
        const std::wstring name = L"picture number " + std::to_wstring(i) + L".jpg";
        write(name, "x");
        expected.push_back(entry(name));
    }
    remove(L"gone.jpg");
    std::sort(expected.begin(), expected.end());
    ::SetEvent(release.get());
    render.join();
    EXPECT_TRUE(follows(*list, expected));
}

TEST_F(ImageListTest, ChangesMadeFromTheLinuxSideAreFollowed) {
    if (unixPath(folder_).empty())
        GTEST_SKIP() << "not running under Wine";
    std::filesystem::create_directory(folder_ / L"staging");
    std::ofstream(folder_ / L"staging" / L"one.jpg") << "one";
    std::ofstream(folder_ / L"staging" / L"two.jpg") << "two";
    auto list = openList();

    ASSERT_TRUE(runUnix(folder_, "cp staging/one.jpg one.jpg"));
    ASSERT_TRUE(signalledWithin(list->changeEvent()));
    ASSERT_TRUE(runUnix(folder_, "mv staging/two.jpg two.jpg"));
    EXPECT_TRUE(follows(*list, entries({L"one.jpg", L"two.jpg"})));
    ASSERT_TRUE(runUnix(folder_, "mv one.jpg three.png"));
    EXPECT_TRUE(follows(*list, entries({L"three.png", L"two.jpg"})));
    ASSERT_TRUE(runUnix(folder_, "rm two.jpg"));
    EXPECT_TRUE(follows(*list, entries({L"three.png"})));
    list->advance();
    EXPECT_EQ(shown(*list), "one");
    ASSERT_TRUE(runUnix(folder_, "printf 'copied over' > three.png"));
    EXPECT_TRUE(eventually("the overwritten picture to be shown",
                           [&] { return shown(*list) == "copied over"; }));
}

// A share that holds more than the bound of its local copy: the copy keeps
// the pictures in the list's order up to the first that does not fit, and its
// folder never holds more than the bound.
TEST_F(ImageListTest, LocalCopyOfAShareStaysWithinItsBound) {
    QELD::Test::TestShare share(L"bound");
    constexpr std::uint64_t pictureSize = 30 << 20;
    ASSERT_TRUE(runUnix(share.backing(), "for i in 1 2 3 4 5 6 7 8 9; do truncate -s " +
                                             std::to_string(pictureSize) + " p$i.bmp; done"));
    const std::wstring setting = share.folder();
    const std::u16string folder(setting.begin(), setting.end());
    ImageList list({0, 1, 0x11, true, folder}, eventLog_, images_, contentsRenderer());
    const std::uint64_t kept = pictureCopyBound / pictureSize * pictureSize;
    ASSERT_TRUE(eventually("the local copy to keep " + std::to_string(kept) + " bytes", [&] {
        const auto copy = list.summary().copy;
        return copy && copy->bytes == kept;
    }));

    const auto paths = list.paths();
    ASSERT_EQ(paths.size(), 9u);
    const std::u16string copy = pictureCopyFolder(folder);
    std::uint64_t bytes = 0;
    Paths copied;
    for (const auto& file :
         std::filesystem::directory_iterator(std::wstring(copy.begin(), copy.end()))) {
        bytes += file.file_size();
        const std::wstring name = file.path().filename().wstring();
        copied.push_back(folder + std::u16string(name.begin(), name.end()));
    }
    EXPECT_LE(bytes, pictureCopyBound);
    EXPECT_EQ(sorted(copied), sorted(Paths(paths.begin(), paths.begin() + 8)));
    std::filesystem::remove_all(std::wstring(copy.begin(), copy.end()));
}

} // namespace
} // namespace Korva::QELD
