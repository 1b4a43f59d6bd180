// Measures the picture list on a folder of many pictures (empty files): the
// time of the scan, the memory each entry keeps, the check of the folder's
// identity made at every tick against a listing, and how long a new file
// takes to announce itself through the list's change event.
// Usage: image_list_bench [pictures]
#include "slideshow/image_list.h"
#include "slideshow/image_list_directory.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

namespace {

// Every allocation of the process carries its size in front of it, so that
// the bytes alive at any time can be told.
std::atomic<long long> liveBytes{0};
constexpr std::size_t header = 16;

} // namespace

void* operator new(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + header));
    if (block == nullptr)
        throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    liveBytes += static_cast<long long>(size);
    return block + header;
}

void operator delete(void* pointer) noexcept {
    if (pointer == nullptr)
        return;
    auto* block = static_cast<unsigned char*>(pointer) - header;
    liveBytes -= static_cast<long long>(*reinterpret_cast<std::size_t*>(block));
    std::free(block);
}

void operator delete(void* pointer, std::size_t) noexcept {
    operator delete(pointer);
}

namespace {

using namespace Korva::QELD;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

std::u16string setting(const fs::path& folder) {
    const std::wstring text = folder.wstring() + L"\\";
    return std::u16string(text.begin(), text.end());
}

void measureScan(const fs::path& folder, int pictures, EventLog& eventLog) {
    for (int i = 0; i < pictures; ++i)
        std::ofstream(folder / (L"Picture " + std::to_wstring(100000 + i) + L".jpg"));
    const DeviceConfig config{0, 1, 0x11, true, setting(folder)};

    std::vector<FolderItem> names;
    const auto listStart = Clock::now();
    listFolder(config.folder, names);
    const auto listTime = Clock::now() - listStart;
    names = {};

    const long long before = liveBytes;
    const auto scanStart = Clock::now();
    PreparedImages images;
    ImageList list(config, eventLog, images, {});
    const auto scanTime = Clock::now() - scanStart;
    // The watcher lists the folder when it starts; wait for it so
    // that its temporary names are gone before the entries are counted.
    Sleep(2000);
    const long long kept = liveBytes - before;
    const auto entries = list.paths().size();
    std::printf("pictures %d, entries %zu\n", pictures, entries);
    std::printf("listing (FindFirstFileW/FindNextFileW) %.1f ms\n", milliseconds(listTime));
    std::printf("list construction (no folder I/O) %.1f ms\n", milliseconds(scanTime));
    std::printf("memory kept per entry %.0f bytes (path of %zu characters)\n",
                static_cast<double>(kept) / static_cast<double>(entries),
                list.paths().front().size());

    const auto watched = openFolderForWatching(config.folder);
    constexpr int checks = 1000;
    const auto checkStart = Clock::now();
    for (int i = 0; i < checks; ++i)
        checkOpenFolder(config.folder, watched.get());
    const double checkTime = milliseconds(Clock::now() - checkStart) / checks;
    std::printf("identity check %.3f ms, %.5f of a listing\n", checkTime,
                checkTime / milliseconds(listTime));
}

void measureChangeLatency(const fs::path& folder, EventLog& eventLog) {
    fs::create_directories(folder);
    PreparedImages images;
    ImageList list({0, 1, 0x11, true, setting(folder)}, eventLog, images, {});
    Sleep(200);
    std::vector<double> times;
    for (int round = 0; round < 50; ++round) {
        const auto start = Clock::now();
        std::ofstream(folder / L"new.jpg");
        if (WaitForSingleObject(list.changeEvent(), 10000) != WAIT_OBJECT_0) {
            std::printf("change event not set\n");
            return;
        }
        times.push_back(milliseconds(Clock::now() - start));
        fs::remove(folder / L"new.jpg");
        while (!list.paths().empty())
            Sleep(1);
        list.advance();
    }
    std::sort(times.begin(), times.end());
    std::printf("file creation to change event: median %.2f ms, min %.2f ms, max %.2f ms (%zu)\n",
                times[times.size() / 2], times.front(), times.back(), times.size());
}

} // namespace

int main(int argc, char** argv) {
    const int pictures = argc > 1 ? std::atoi(argv[1]) : 10000;
    const fs::path root = fs::temp_directory_path() / "qeld-list-bench";
    fs::remove_all(root);
    fs::create_directories(root / "scan");
    EventLog eventLog;
    measureScan(root / "scan", pictures, eventLog);
    measureChangeLatency(root / "latency", eventLog);
    fs::remove_all(root);
    return 0;
}
