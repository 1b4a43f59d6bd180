#pragma once

#include "common/event_log.h"
#include "common/core/noncopyable.h"
#include "common/unique_handle.h"
#include "slideshow/core/status_record.h"

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace Korva::QELD {

// Answers status queries on the local status pipe from a thread of its own,
// with a copy of the status record. A few pipe instances take connections;
// the thread answers them one at a time, in turn, so that one client that
// reconnects at once waits behind those already connected. Only local
// clients connect; Administrators, SYSTEM and interactive users may send the
// request and read the reply, nobody may change the pipe or serve on it.
// When the name is taken (another program created it first) or serving
// fails, the server reports once and tries again every retryPeriod; the
// slideshow never waits for it.
class StatusServer : noncopyable {
public:
    static constexpr std::size_t instances = 4;
    static constexpr std::chrono::milliseconds retryPeriod{30000};

    // Starts the thread; raises only when its events or thread cannot be
    // made. The slideshow serves statusPipeName; benchmarks use other names.
    StatusServer(const StatusRecord& record, EventLog& eventLog, const wchar_t* pipeName);
    ~StatusServer();

private:
    // One pipe instance and its one operation in flight.
    struct Instance : noncopyable {
        Win32::unique_file pipe;
        Win32::unique_event event = Win32::createEvent();
        OVERLAPPED overlapped{};
        // Connected before it listened: its event was set by hand.
        bool connected = false;
        ~Instance();
    };
    using Instances = std::array<std::unique_ptr<Instance>, instances>;

    void run() noexcept;
    void serve(bool& reported);
    void listen(Instance& instance);
    void serveOne(Instance& instance);
    void answer(Instance& instance, DWORD deadline);
    OVERLAPPED* next(Instance& instance);
    bool complete(Instance& instance, BOOL result, DWORD& bytes, DWORD timeout);

    const StatusRecord& record_;
    EventLog& eventLog_;
    const std::wstring pipeName_;
    Win32::unique_event quitEvent_;
    std::thread thread_;
};

// The server of the slideshow's pipe. Its failures are reported, and the
// slideshow runs on without it.
std::unique_ptr<StatusServer> startStatusServer(const StatusRecord& record,
                                                EventLog& eventLog) noexcept;

} // namespace Korva::QELD
