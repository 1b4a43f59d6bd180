// Measures what campaigns add to every slideshow tick: the process's CPU time
// per tick of a plain picture list (the baseline), of a campaign list on a
// folder without current campaigns, and of one with two current campaigns
// among twenty subfolders. Each tick also wakes the lists' watchers, whose
// work (folder check, date check) counts in the process's CPU time.
// Usage: campaign_bench [ticks]
#include "slideshow/campaign_list.h"
#include "slideshow/picture/render_image.h"
#include "slideshow/system_calendar.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using namespace Korva::QELD;

namespace {

void fill(const fs::path& folder, int pictures) {
    fs::create_directories(folder);
    for (int i = 0; i < pictures; ++i)
        std::ofstream(folder / ("p" + std::to_string(i) + ".jpg")) << "x";
}

double cpuMilliseconds() {
    FILETIME created, ended, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return static_cast<double>(std::uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

// Ticks 2 ms apart, so that each wakes the watchers.
template <class List> double cpuPerTick(List& list, int ticks) {
    ::Sleep(500);
    const double start = cpuMilliseconds();
    for (int i = 0; i < ticks; ++i) {
        list.advance();
        ::Sleep(2);
    }
    return (cpuMilliseconds() - start) / ticks;
}

} // namespace

int main(int argc, char** argv) {
    const int ticks = argc > 1 ? std::atoi(argv[1]) : 2000;
    const fs::path root = fs::temp_directory_path() / "qeld-campaign-bench";
    fs::remove_all(root);
    fill(root / "plain", 100);
    fill(root / "dated", 100);
    for (int i = 0; i < 18; ++i)
        fs::create_directories(root / "dated" /
                               ("2020-01-01 to 2020-01-02 old " + std::to_string(i)));
    fill(root / "dated" / "2000-01-01 to 2099-12-31 a", 50);
    fill(root / "dated" / "2000-01-01 to 2099-12-31 b", 50);
    fill(root / "undated", 100);

    EventLog eventLog;
    PreparedImages images;
    const auto config = [&](const char* name) {
        return DeviceConfig{0, 1, 0x11, true, (root / name).u16string() + u"\\"};
    };
    double baseline = 0;
    {
        ImageList list(config("plain"), eventLog, images, renderImage);
        baseline = cpuPerTick(list, ticks);
    }
    std::printf("%-36s %8.3f ms CPU/tick  1.00\n", "plain list (baseline)", baseline);
    for (const char* name : {"undated", "dated"}) {
        CampaignList list(config(name), eventLog, images, renderImage, systemCalendar());
        const double perTick = cpuPerTick(list, ticks);
        std::printf("%-36s %8.3f ms CPU/tick  %.2f\n",
                    name == std::string("dated") ? "2 of 20 campaigns current"
                                                 : "campaign list, no subfolders",
                    perTick, perTick / baseline);
    }
    fs::remove_all(root);
    return 0;
}
