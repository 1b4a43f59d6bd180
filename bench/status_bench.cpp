// Figures of the status query against a running slideshow (bench/status_bench.sh):
//   1. reply time of one query, against the same server code answering from
//      this process with a record of three tablets (the baseline);
//   2. wall time of a whole "qeldsvc /status" process, against a process
//      that does nothing (cmd /c exit);
//   3. the JSON reply against the text reply of the same slideshow;
//   4. the reply time of a client beside one that reconnects without pause,
//      against the same client alone, on the bench's own server;
//   5. tick drift: the lateness of each slideshow step of one tablet, read
//      from its "last upload" time, in a quiet phase and in phases with a
//      silent client and bursts of 200 clients, served by this process (the
//      baseline: the same load on the machine and the wineserver) and by the
//      slideshow.
// Usage: status_bench <qeldsvc.exe> <tablet model> <interval ms> <seconds per phase>
#include "common/unique_handle.h"
#include "service/status_client.h"
#include "service/status_pipe.h"
#include "service/status_server.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Korva::QELD::requestStatus;
using Korva::QELD::StatusRequest;

double milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

template <class F> double timed(F&& f) {
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    f();
    ::QueryPerformanceCounter(&end);
    return milliseconds(start, end);
}

struct Figures {
    double median, max;
};

Figures figures(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.back()};
}

// The same server in this process, with a record of three tablets like the
// slideshow's: the baseline that shows what serving costs the slideshow.
constexpr const wchar_t* benchPipe = L"\\\\.\\pipe\\qeld-status-bench";

void fill(Korva::QELD::StatusRecord& record) {
    using namespace std::chrono;
    record.setClock(1000, steady_clock::now());
    record.setLists({{{0}, u"C:\\users\\bench\\pictures\\", 3, u"picture-1.jpg"}});
    const Korva::QELD::ScreenFormat formats[] = {
        {0x00, 396, 100}, {0x02, 320, 200}, {0x14, 640, 480}};
    for (std::uint16_t i = 0; i < 3; ++i) {
        const std::wstring path = L"tablet" + std::to_wstring(i);
        record.tabletStarted(path, static_cast<std::uint16_t>(0x0C10 + i), i);
        record.tabletProbed(path, formats[i]);
        record.tabletUploaded(path, u"C:\\users\\bench\\pictures\\picture-1.jpg",
                              system_clock::now(), 50ms);
    }
}

double processTime(std::wstring line) {
    return timed([&] {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                              nullptr, nullptr, &startup, &info))
            return;
        const Korva::Win32::unique_kernel_handle process(info.hProcess), thread(info.hThread);
        ::WaitForSingleObject(process.get(), 30000);
    });
}

void replyTimes(const std::wstring& program) {
    std::vector<double> status, bare, process, empty;
    std::size_t size = 0, benchSize = 0;
    for (int i = 0; i < 200; ++i) {
        status.push_back(timed([&] { size = requestStatus(10000).size(); }));
        bare.push_back(timed([&] { benchSize = requestStatus(10000, benchPipe).size(); }));
    }
    for (int i = 0; i < 20; ++i) {
        process.push_back(processTime(L"\"" + program + L"\" /status"));
        empty.push_back(processTime(L"cmd.exe /c exit 0"));
    }
    const auto [sm, sx] = figures(status);
    const auto [bm, bx] = figures(bare);
    const auto [pm, px] = figures(process);
    const auto [em, ex] = figures(empty);
    std::printf("slideshow's reply of %zu bytes, 200 queries: median %.2f ms, max %.2f ms; "
                "same server in the bench process, %zu bytes: median %.2f ms, max %.2f ms; "
                "ratio of medians %.2f\n",
                size, sm, sx, benchSize, bm, bx, sm / bm);
    std::printf("whole \"qeldsvc /status\" process, 20 runs: median %.0f ms, max %.0f ms; "
                "cmd /c exit: median %.0f ms, max %.0f ms; ratio of medians %.2f\n",
                pm, px, em, ex, pm / em);
}

void jsonTimes() {
    std::vector<double> text, json;
    std::size_t textSize = 0, jsonSize = 0;
    for (int i = 0; i < 200; ++i) {
        text.push_back(timed([&] { textSize = requestStatus(10000).size(); }));
        json.push_back(timed([&] {
            jsonSize = requestStatus(10000, Korva::QELD::statusPipeName, StatusRequest::jsonRequest)
                           .size();
        }));
    }
    const auto [tm, tx] = figures(text);
    const auto [jm, jx] = figures(json);
    std::printf("JSON reply of %zu bytes, 200 queries: median %.2f ms, max %.2f ms; text reply "
                "of %zu bytes: median %.2f ms, max %.2f ms; ratio of medians %.2f\n",
                jsonSize, jm, jx, textSize, tm, tx, jm / tm);
}

// A client that reconnects without pause must not starve another: the
// other's reply time beside it, against the same client alone.
void fairness() {
    const auto queries = [](std::vector<double>& times, int& failed) {
        for (int i = 0; i < 100; ++i) {
            try {
                times.push_back(timed([] { requestStatus(30000, benchPipe); }));
            } catch (const std::exception&) {
                ++failed;
            }
        }
    };
    std::vector<double> alone, beside;
    int failedAlone = 0, failedBeside = 0;
    queries(alone, failedAlone);
    std::atomic<bool> stop = false;
    std::thread greedy([&] {
        while (!stop) {
            try {
                requestStatus(30000, benchPipe);
            } catch (const std::exception&) {
            }
        }
    });
    queries(beside, failedBeside);
    stop = true;
    greedy.join();
    const auto [am, ax] = figures(alone);
    const auto [bm, bx] = figures(beside);
    std::printf("a client beside one that reconnects without pause, 100 queries: median %.2f "
                "ms, max %.2f ms, %d failed; alone: median %.2f ms, max %.2f ms, %d failed; "
                "ratio of medians %.2f, of maxima %.2f\n",
                bm, bx, failedBeside, am, ax, failedAlone, bm / am, bx / ax);
}

// Milliseconds since midnight of the tablet's last upload, -1 without one.
long lastUpload(const std::string& model) {
    try {
        const std::string status = requestStatus(10000);
        const auto entry = status.find("tablet: " + model);
        const auto at = status.find("last upload: ", entry);
        if (entry == std::string::npos || at == std::string::npos)
            return -1;
        int h, m, s, ms;
        if (std::sscanf(status.c_str() + at + 13, "%*d-%*d-%*d %d:%d:%d.%d", &h, &m, &s, &ms) != 4)
            return -1;
        return ((h * 60L + m) * 60 + s) * 1000 + ms;
    } catch (const std::exception&) {
        return -1;
    }
}

// Every other client a burst of 200 and, meanwhile, one that connects and
// sends nothing, which the server drops after its time-out.
void load(const std::atomic<bool>& stop, const wchar_t* pipe) {
    while (!stop) {
        const Korva::Win32::unique_file silent(::CreateFileW(
            pipe, GENERIC_READ | FILE_WRITE_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        std::vector<std::thread> burst;
        for (int i = 0; i < 200; ++i)
            burst.emplace_back([pipe] {
                try {
                    requestStatus(60000, pipe);
                } catch (const std::exception&) {
                }
            });
        for (auto& client : burst)
            client.join();
    }
}

// Lateness of each step: the gap between two uploads less the interval; a
// gap that spans several steps (a poll that came late) shares its lateness.
void drift(const char* label, const std::string& model, long interval, int seconds,
           const wchar_t* loaded) {
    std::atomic<bool> stop = false;
    std::thread loader;
    if (loaded != nullptr)
        loader = std::thread([&] { load(stop, loaded); });
    std::vector<long> uploads;
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(seconds) * 1000;
    while (::GetTickCount() < end) {
        const long at = lastUpload(model);
        if (at >= 0 && (uploads.empty() || at != uploads.back()))
            uploads.push_back(at);
        ::Sleep(static_cast<DWORD>(interval / 5));
    }
    stop = true;
    if (loader.joinable())
        loader.join();
    std::vector<double> late;
    for (std::size_t i = 1; i < uploads.size(); ++i) {
        const long gap = uploads[i] - uploads[i - 1];
        const long steps = std::max(1L, (gap + interval / 2) / interval);
        for (long k = 0; k < steps; ++k)
            late.push_back(static_cast<double>(gap - steps * interval) / steps);
    }
    if (late.empty()) {
        std::printf("%s: no uploads seen\n", label);
        return;
    }
    const auto [median, max] = figures(late);
    std::printf("%s: %zu steps, lateness per step median %.1f ms, max %.1f ms\n", label,
                late.size(), median, max);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: status_bench <qeldsvc.exe> <model> <interval ms> <s>\n");
        return 2;
    }
    const std::string program = argv[1];
    const std::string model = argv[2];
    const long interval = std::atol(argv[3]);
    const int seconds = std::atoi(argv[4]);
    Korva::QELD::StatusRecord record("2.0.14659.17", Korva::QELD::RunMode::Console,
                                     std::chrono::system_clock::now());
    fill(record);
    Korva::QELD::EventLog eventLog;
    const Korva::QELD::StatusServer server(record, eventLog, benchPipe);
    replyTimes(std::wstring(program.begin(), program.end()));
    jsonTimes();
    fairness();
    drift("quiet", model, interval, seconds, nullptr);
    drift("silent client and bursts of 200 clients on the bench's own pipe", model, interval,
          seconds, benchPipe);
    drift("silent client and bursts of 200 clients on the slideshow's pipe", model, interval,
          seconds, Korva::QELD::statusPipeName);
    return 0;
}
