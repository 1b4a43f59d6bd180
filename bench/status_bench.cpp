// Figures of the status query against a running slideshow (bench/status_bench.sh):
//   1. reply time of one query over the pipe, against a bare round trip of a
//      reply of the same size over a pipe of this process (the baseline);
//   2. wall time of a whole "qeldsvc /status" process, against a process
//      that does nothing (cmd /c exit);
//   3. tick drift: the lateness of each slideshow step of one tablet, read
//      from its "last upload" time, in a quiet phase and in a phase with a
//      silent client and bursts of 200 clients.
// Usage: status_bench <qeldsvc.exe> <tablet model> <interval ms> <seconds per phase>
#include "service/status_client.h"
#include "service/status_pipe.h"

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

// A reply of the given size over a pipe of this process, served by a thread.
double bareRoundTrip(std::size_t size) {
    const wchar_t* name = L"\\\\.\\pipe\\qeld-status-bench";
    HANDLE server = ::CreateNamedPipeW(name, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                       65536, 64, 0, nullptr);
    std::thread serve([&] {
        char request[64];
        DWORD bytes = 0;
        const std::string reply(size, 'x');
        ::ConnectNamedPipe(server, nullptr);
        ::ReadFile(server, request, sizeof request, &bytes, nullptr);
        ::WriteFile(server, reply.data(), static_cast<DWORD>(size), &bytes, nullptr);
        ::ReadFile(server, request, sizeof request, &bytes, nullptr);
        ::DisconnectNamedPipe(server);
    });
    const double time = timed([&] {
        HANDLE client = ::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      0, nullptr);
        DWORD bytes = 0;
        ::WriteFile(client, "status\n", 7, &bytes, nullptr);
        std::string reply(size, '\0');
        for (std::size_t got = 0; got < size; got += bytes)
            ::ReadFile(client, reply.data() + got, static_cast<DWORD>(size - got), &bytes, nullptr);
        ::CloseHandle(client);
    });
    serve.join();
    ::CloseHandle(server);
    return time;
}

double processTime(std::wstring line) {
    return timed([&] {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                              nullptr, nullptr, &startup, &info))
            return;
        ::WaitForSingleObject(info.hProcess, 30000);
        ::CloseHandle(info.hProcess);
        ::CloseHandle(info.hThread);
    });
}

void replyTimes(const std::wstring& program) {
    std::vector<double> status, bare, process, empty;
    std::size_t size = 0;
    for (int i = 0; i < 200; ++i) {
        status.push_back(timed([&] { size = requestStatus(10000).size(); }));
        bare.push_back(bareRoundTrip(size));
    }
    for (int i = 0; i < 20; ++i) {
        process.push_back(processTime(L"\"" + program + L"\" /status"));
        empty.push_back(processTime(L"cmd.exe /c exit 0"));
    }
    const auto [sm, sx] = figures(status);
    const auto [bm, bx] = figures(bare);
    const auto [pm, px] = figures(process);
    const auto [em, ex] = figures(empty);
    std::printf("reply of %zu bytes over the pipe, 200 queries: median %.2f ms, max %.2f ms; "
                "bare round trip of that size: median %.2f ms, max %.2f ms; ratio of medians "
                "%.2f\n",
                size, sm, sx, bm, bx, sm / bm);
    std::printf("whole \"qeldsvc /status\" process, 20 runs: median %.0f ms, max %.0f ms; "
                "cmd /c exit: median %.0f ms, max %.0f ms; ratio of medians %.2f\n",
                pm, px, em, ex, pm / em);
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
void load(const std::atomic<bool>& stop) {
    while (!stop) {
        HANDLE silent = ::CreateFileW(Korva::QELD::statusPipeName, GENERIC_READ | FILE_WRITE_DATA,
                                      0, nullptr, OPEN_EXISTING, 0, nullptr);
        std::vector<std::thread> burst;
        for (int i = 0; i < 200; ++i)
            burst.emplace_back([] {
                try {
                    requestStatus(60000);
                } catch (const std::exception&) {
                }
            });
        for (auto& client : burst)
            client.join();
        if (silent != INVALID_HANDLE_VALUE)
            ::CloseHandle(silent);
    }
}

// Lateness of each step: the gap between two uploads less the interval; a
// gap that spans several steps (a poll that came late) shares its lateness.
void drift(const char* label, const std::string& model, long interval, int seconds, bool withLoad) {
    std::atomic<bool> stop = false;
    std::thread loader;
    if (withLoad)
        loader = std::thread([&] { load(stop); });
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
    replyTimes(std::wstring(program.begin(), program.end()));
    drift("quiet", model, interval, seconds, false);
    drift("silent client and bursts of 200 clients", model, interval, seconds, true);
    return 0;
}
