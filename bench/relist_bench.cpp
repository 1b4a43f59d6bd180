// Measures what listing a picture folder again costs on a file server (the
// test share: a FUSE file system in front of a local folder, reached through
// a UNC path) against the same folder listed locally, in the same run, for
// 100, 1,000 and 10,000 pictures: the listing, the list brought in line with
// it (nothing changed), and for the share the listing of its local copy.
// Usage: relist_bench [latency per call in ms]
#include "slideshow/core/image_list_state.h"
#include "slideshow/image_list_directory.h"
#include "tests/support/test_share.h"
#include "tests/support/unix_shell.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace Korva::QELD;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

std::u16string setting(const std::wstring& folder) {
    return std::u16string(folder.begin(), folder.end());
}

// One relist as the watcher makes it, in milliseconds: the listing and the
// list brought in line with it; the first run fills the list.
double relist(const std::u16string& folder, ImageListState& list) {
    const auto start = Clock::now();
    std::vector<FolderItem> items;
    listFolder(folder, items);
    list.reconcile(items);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double best(const std::u16string& folder, ImageListState& list) {
    relist(folder, list);
    double fastest = 1e12;
    for (int round = 0; round < 3; ++round)
        fastest = std::min(fastest, relist(folder, list));
    return fastest;
}

void measure(int pictures, int latency) {
    Test::TestShare share(L"relist");
    share.setLatency(std::chrono::milliseconds(latency));
    const fs::path local = fs::temp_directory_path() / "qeld-relist-bench";
    fs::remove_all(local);
    fs::create_directories(local);
    const std::string make = "seq -f p%06g.jpg 1 " + std::to_string(pictures) + " | xargs touch";
    Test::runUnix(share.backing(), make);
    Test::runUnix(local, make);

    PreparedImages images;
    const std::u16string shareFolder = setting(share.folder());
    const std::u16string localFolder = setting(local.wstring() + L"\\");
    ImageListState onShare({0, 1, 0x11, true, shareFolder}, images, {});
    ImageListState onDisk({0, 1, 0x11, true, localFolder}, images, {});
    ImageListState copy({0, 1, 0x11, true, localFolder}, images, {});
    const double shareTime = best(shareFolder, onShare) + best(localFolder, copy);
    const double localTime = best(localFolder, onDisk);
    std::printf("%6d pictures, %d ms a call: share %9.1f ms, local %7.1f ms, ratio %6.1f\n",
                pictures, latency, shareTime, localTime, shareTime / localTime);
    fs::remove_all(local);
}

} // namespace

int main(int argc, char** argv) {
    const int latency = argc > 1 ? std::atoi(argv[1]) : 0;
    for (const int pictures : {100, 1000, 10000})
        measure(pictures, latency);
    return 0;
}
