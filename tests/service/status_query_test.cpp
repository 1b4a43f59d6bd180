#include "service/status_client.h"
#include "service/status_pipe.h"
#include "slideshow_fixture.h"
#include "status_queries.h"
#include "tests/support/process_runner.h"
#include "tests/support/unix_shell.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace SlideshowTest;
using Korva::QELD::Test::ProcessResult;
using Korva::QELD::Test::runProcess;
using namespace std::chrono_literals;

namespace {

std::uint64_t uploads(const std::string& entry) {
    const auto at = entry.find("uploads: ");
    return at == std::string::npos ? 0 : std::stoull(entry.substr(at + 9));
}

} // namespace

TEST_F(Slideshow, StatusListsEachTabletWithItsFormatTransportAndPictureUntilUnplugged) {
    writeBitmap(picture(L"a.bmp"), 80, 60, 0x2020FF);
    const Tablet qel10 = plug("QEL10", mono);
    plug("QEL40", rgb565);
    const Tablet qel50 = plug("QEL50 --bulk", bgrBulk);
    auto& console = start();
    ASSERT_TRUE(shows(qel50, expected(picture(L"a.bmp"), qel50)));

    const std::string status =
        statusWhen("an upload to each of the three tablets", [](const std::string& s) {
            return s.find("last upload: none") == std::string::npos &&
                   !tabletEntry(s, "QEL10").empty() && !tabletEntry(s, "QEL40").empty() &&
                   !tabletEntry(s, "QEL50").empty();
        });
    EXPECT_NE(status.find("mode: console\n"), std::string::npos) << status;
    EXPECT_NE(status.find("  pictures: 1\n"), std::string::npos) << status;
    struct Expected {
        const char* model;
        const char* lines;
    };
    for (const auto& [model, lines] :
         {Expected{"QEL10", "  screen: 396 x 100\n  pixel format: 1 bit per pixel\n"
                            "  transport: feature reports\n  state: showing\n"},
          Expected{"QEL40", "  screen: 320 x 200\n  pixel format: 16 bits per pixel\n"
                            "  transport: feature reports\n  state: showing\n"},
          Expected{"QEL50", "  screen: 640 x 480\n  pixel format: 24 bits per pixel\n"
                            "  transport: bulk pipe\n  state: showing\n"}}) {
        const std::string entry = tabletEntry(status, model);
        EXPECT_NE(entry.find(lines), std::string::npos) << model << "\n" << status;
        EXPECT_NE(entry.find("a.bmp\n  last upload: 20"), std::string::npos) << entry;
        EXPECT_NE(entry.find("last failure: none"), std::string::npos) << entry;
    }

    tablets_.unplug(qel10.slot);
    console.send("d");
    const std::string two = statusWhen(
        "QEL10 gone", [](const std::string& s) { return tabletEntry(s, "QEL10").empty(); });
    EXPECT_TRUE(tabletEntry(two, "QEL10").empty()) << two;
    EXPECT_FALSE(tabletEntry(two, "QEL40").empty()) << two;
    EXPECT_FALSE(tabletEntry(two, "QEL50").empty()) << two;

    EXPECT_EQ(console.quit(), 0u);
    const ProcessResult none = queryStatus();
    EXPECT_EQ(none.exitCode, 1u);
    EXPECT_EQ(none.output, "The slideshow is not running.\n");
}

TEST_F(Slideshow, StatusShowsTheLastFailureOfATablet) {
    writeBrokenPicture(picture(L"b.png"));
    plug("QEL40", rgb565);
    start();
    const std::string entry =
        tabletEntry(statusWith("b.png cannot be shown: not a picture"), "QEL40");
    EXPECT_NE(entry.find("  state: showing\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("  last failure: "), std::string::npos) << entry;
    EXPECT_EQ(entry.find("last failure: none"), std::string::npos) << entry;
    EXPECT_NE(entry.find(" UTC, event ID 32\n"), std::string::npos) << entry;
    EXPECT_EQ(session_->quit(), 0u);
}

// The server serves one client at a time and drops a silent one after its
// time-out; neither that nor a burst of clients may hold up a tick. How far
// the ticks drift is measured in bench/status_bench; this checks that no
// tick is lost while both go on.
TEST_F(Slideshow, SilentClientAndBurstOfClientsLeaveTheTicksGoing) {
    setDword(nullptr, L"Update Time", 1000);
    writeBitmap(picture(L"a.bmp"), 80, 60, 0xFF0000);
    writeBitmap(picture(L"b.bmp"), 80, 60, 0x00FF00);
    plug("QEL40", rgb565);
    start();
    const std::uint64_t before = uploads(tabletEntry(statusWith("uploads: 2"), "QEL40"));
    const DWORD started = ::GetTickCount();

    const Korva::Win32::unique_file silent(::CreateFileW(
        statusPipeName, GENERIC_READ | FILE_WRITE_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(silent) << ::GetLastError();
    std::atomic<int> answered = 0;
    std::vector<std::thread> burst;
    for (int i = 0; i < 200; ++i)
        burst.emplace_back([&] {
            try {
                if (requestStatus(60000).find("tablet: QEL40") != std::string::npos)
                    ++answered;
            } catch (const std::exception&) {
            }
        });
    for (auto& client : burst)
        client.join();
    // The ticks go on after the burst, with the silent client still there.
    const std::uint64_t burstEnd = uploads(tabletEntry(queryStatus().output, "QEL40"));
    const std::string later = statusWhen("a tick after the burst", [&](const std::string& s) {
        return uploads(tabletEntry(s, "QEL40")) > burstEnd;
    });

    const std::uint64_t after = uploads(tabletEntry(later, "QEL40"));
    const DWORD ticks = (::GetTickCount() - started) / 1000;
    EXPECT_EQ(answered, 200);
    EXPECT_GE(after - before + 2, ticks) << "uploads " << before << " to " << after;
    EXPECT_EQ(session_->quit(), 0u);
}

namespace {

// Checks the JSON of "/status /json" with Python's own parser, on the Linux
// side; true when every assertion held.
bool checkedByPython(const std::string& json, const std::string& checks) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder =
        std::wstring(temp) + L"qeld-json-" + std::to_wstring(::GetCurrentProcessId());
    std::filesystem::create_directories(folder);
    std::ofstream(folder / L"status.json", std::ios::binary) << json;
    std::ofstream(folder / L"check.py", std::ios::binary)
        << "import json\ns = json.load(open('status.json', encoding='utf-8'))\n"
        << "t = {x['model']: x for x in s.get('tablets', [])}\n"
        << checks;
    const bool passed = Korva::QELD::Test::runUnix(folder, "/usr/bin/python3 check.py");
    std::filesystem::remove_all(folder);
    return passed;
}

ProcessResult queryJson() {
    return runProcess(serviceProgram() + L" /status /json");
}

// The status follows the tablets a moment later (a worker records an upload
// after the tablet has the picture): queries until the exit code and the
// checks agree, and gives the last answer.
ProcessResult queryJsonUntil(DWORD exitCode, const std::string& checks) {
    ProcessResult result;
    EXPECT_TRUE(Korva::QELD::Test::eventually(
        "the JSON status to pass its checks with exit code " + std::to_string(exitCode), [&] {
            result = queryJson();
            return result.exitCode == exitCode && checkedByPython(result.output, checks);
        }));
    return result;
}

} // namespace

// The health of the JSON and the exit code say the same: degraded while one
// of three tablets is stopped by a failure, healthy once it is gone, failed
// (and 1) when the slideshow is not running.
TEST_F(Slideshow, JsonStatusAndExitCodeSayTheHealth) {
    writeBitmap(picture(L"a.bmp"), 80, 60, 0x2020FF);
    plug("QEL10", mono);
    const Tablet broken = plug("QEL40", rgb565);
    tablets_.fault(broken.slot, "huge-screen");
    const Tablet qel50 = plug("QEL50 --bulk", bgrBulk);
    auto& console = start();
    ASSERT_TRUE(shows(qel50, expected(picture(L"a.bmp"), qel50)));

    const std::string degradedChecks = R"(
assert s['running'] and s['health']['state'] == 'degraded'
assert 'QEL40' in s['health']['reasons'][0], s['health']
assert t['QEL10']['bitsPerPixel'] == 1 and t['QEL50']['transport'] == 'bulk pipe'
assert t['QEL50']['lastPictureShown'].endswith('Z') and t['QEL50']['lastFailure'] is None
assert t['QEL40']['state'] == 'stopped by a failure' and t['QEL40']['lastFailure']['eventId'] == 33
)";
    const ProcessResult degraded = queryJsonUntil(2, degradedChecks);
    EXPECT_EQ(degraded.exitCode, 2u) << degraded.output;
    EXPECT_TRUE(checkedByPython(degraded.output, degradedChecks)) << degraded.output;

    tablets_.unplug(broken.slot);
    console.send("d");
    const std::string healthyChecks = R"(
assert s['health'] == {'state': 'healthy', 'reasons': []} and sorted(t) == ['QEL10', 'QEL50']
)";
    const ProcessResult healthy = queryJsonUntil(0, healthyChecks);
    EXPECT_EQ(healthy.exitCode, 0u) << healthy.output;
    EXPECT_TRUE(checkedByPython(healthy.output, healthyChecks)) << healthy.output;

    EXPECT_EQ(console.quit(), 0u);
    const ProcessResult none = queryJson();
    EXPECT_EQ(none.exitCode, 1u);
    EXPECT_TRUE(checkedByPython(none.output, R"(
assert s['running'] is False and s['health'] == {'state': 'failed',
    'reasons': ['The slideshow is not running.']}
)")) << none.output;
}

// A program that takes the pipe's name first gets no query: the client
// refuses it plainly, before it sends anything, and the slideshow reports
// the taken name once and serves once the name is free (it tries again every
// 30 s).
TEST_F(Slideshow, StatusQueryRefusesASquatterAndTheSlideshowServesOnceItIsGone) {
    writeBitmap(picture(L"a.bmp"), 80, 60, 0x2020FF);
    plug("QEL40", rgb565);
    Korva::Win32::unique_file squatter(::CreateNamedPipeW(
        statusPipeName, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(squatter) << ::GetLastError();
    auto& console = start();
    EXPECT_TRUE(console.waitFor("event 0x80000060")) << console.output();

    const ProcessResult refused = queryStatus();
    EXPECT_EQ(refused.exitCode, 4u) << refused.output;
    EXPECT_NE(refused.output.find("is not the slideshow; its answer was not read."),
              std::string::npos)
        << refused.output;
    char request[16];
    DWORD bytes = 0;
    EXPECT_FALSE(::ReadFile(squatter.get(), request, sizeof request, &bytes, nullptr) && bytes > 0)
        << "the client sent the squatter its request";

    squatter.reset();
    std::string status;
    EXPECT_TRUE(Korva::QELD::Test::eventuallyWithin(
        30s + 15s, "the slideshow to serve the freed name",
        [&] {
            status = queryStatus().output;
            return status.find("tablet: QEL40") != std::string::npos;
        }))
        << status;
    EXPECT_EQ(console.count("event 0x80000060"), 1u) << console.output();
    EXPECT_EQ(console.quit(), 0u);
}
