// The prepared-image cache over a long slideshow: a folder of many pictures,
// shown on three tablets of the three pixel formats, one tick after another.
// The bench drives the picture lists as the main loop and the workers do
// (advance every list, then each tablet fetches the current picture in its
// format) without waiting for wall-clock ticks or uploading: what it
// measures, the memory held and the renders, does not depend on either.
// Pictures are real files, rendered by the service's own renderImage (on
// this thread, which the picture lists enter into COM's multithreaded
// apartment).
// Usage: cache_bench [pictures] [ticks] [pictures that fit]
#include "bench/private_bytes.h"
#include "slideshow/image_list_map.h"
#include "tests/service/picture_files.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

namespace {

using namespace Korva::QELD;
namespace fs = std::filesystem;

const ScreenFormat tablets[] = {{0x00, 396, 100}, {0x02, 320, 200}, {0x04, 800, 480}};

double megabytes(unsigned long long bytes) {
    return static_cast<double>(bytes) / (1 << 20);
}

double privateMegabytes() {
    return megabytes(committedPrivateBytes(::GetCurrentProcess()));
}

fs::path makeFolder(const fs::path& folder, int pictures) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (int i = 0; i < pictures; ++i)
        writeBitmap((folder / (L"p" + std::to_wstring(10000 + i) + L".bmp")).wstring(), 160, 120,
                    0x10203 * static_cast<std::uint32_t>(i));
    return folder;
}

class Slideshow {
public:
    explicit Slideshow(const fs::path& folder) {
        const std::wstring text = folder.wstring() + L"\\";
        settings_.lock().deviceConfigs() = {
            {0, DeviceConfig{0, 1, 0x11, true, std::u16string(text.begin(), text.end())}}};
        lists_ = std::make_unique<ImageListMap>(
            settings_, eventLog_, [this](const std::u16string& path, const ImageParameters& key) {
                ++renders;
                return renderImage(path, key);
            });
    }

    void tick() {
        std::set<const CampaignList*> advanced;
        for (const auto& [model, list] : lists_->lists()) {
            if (advanced.insert(list.get()).second)
                list->advance();
        }
        std::u16string path;
        for (const auto& format : tablets)
            lists_->getImage(0, format, path);
    }

    std::size_t cached() { return lists_->preparedImages().bytes(); }

    std::atomic<long> renders{0};

private:
    EventLog eventLog_;
    ConfigurationData settings_{L"SOFTWARE\\Korva\\QELD cache bench"};
    std::unique_ptr<ImageListMap> lists_;
};

void measureLongRun(const fs::path& folder, int pictures, int ticks) {
    Slideshow show(makeFolder(folder, pictures));
    const double start = privateMegabytes();
    std::printf("%d pictures, %d ticks, three tablets; limit %.0f MB\n", pictures, ticks,
                megabytes(PreparedImages::defaultLimit));
    std::printf("tick %5d: private %7.1f MB (baseline)\n", 0, start);
    for (int tick = 1; tick <= ticks; ++tick) {
        show.tick();
        if (tick % 300 == 0)
            std::printf("tick %5d: private %7.1f MB, growth %.1f MB = %.2f x limit, cached %.1f "
                        "MB, renders %.2f per tick\n",
                        tick, privateMegabytes(), privateMegabytes() - start,
                        (privateMegabytes() - start) / megabytes(PreparedImages::defaultLimit),
                        megabytes(show.cached()), static_cast<double>(show.renders) / tick);
    }
}

void measureFolderThatFits(const fs::path& folder, int pictures) {
    Slideshow show(makeFolder(folder, pictures));
    for (int tick = 0; tick < pictures; ++tick)
        show.tick();
    const long firstRound = show.renders;
    for (int tick = 0; tick < 2 * pictures; ++tick)
        show.tick();
    std::printf("%d pictures that fit: %ld renders in the first round, %ld in the two after; "
                "cached %.1f MB\n",
                pictures, firstRound, show.renders - firstRound, megabytes(show.cached()));
}

} // namespace

int main(int argc, char** argv) {
    const int pictures = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int ticks = argc > 2 ? std::atoi(argv[2]) : 1500;
    const int fitting = argc > 3 ? std::atoi(argv[3]) : 40;
    const fs::path root = fs::temp_directory_path() / "qeld-cache-bench";
    measureLongRun(root / "many", pictures, ticks);
    measureFolderThatFits(root / "fits", fitting);
    fs::remove_all(root);
    return 0;
}
