#pragma once

#include "common/event_log.h"
#include "common/core/noncopyable.h"
#include "common/unique_handle.h"
#include "slideshow/core/status_record.h"

#include <memory>
#include <thread>

namespace Korva::QELD {

// Answers status queries on the local status pipe from a thread of its own,
// one connection at a time, with a copy of the status record. Only local
// clients connect; Administrators, SYSTEM and interactive users may send the
// request and read the reply, nobody may change the pipe or serve on it.
class StatusServer : noncopyable {
public:
    // Creates the pipe (raises the system's error when it cannot, for example
    // when another slideshow already serves it) and starts the thread. The
    // slideshow serves statusPipeName; benchmarks compare with other names.
    StatusServer(const StatusRecord& record, EventLog& eventLog, const wchar_t* pipeName);
    ~StatusServer();

private:
    void run() noexcept;
    void serveOne();
    void answer(DWORD deadline);
    OVERLAPPED* next();
    bool complete(BOOL result, DWORD& bytes, DWORD timeout);
    bool quitting() const;

    const StatusRecord& record_;
    EventLog& eventLog_;
    Win32::unique_event quitEvent_;
    Win32::unique_event ioEvent_;
    Win32::unique_file pipe_;
    OVERLAPPED overlapped_{};
    std::thread thread_;
};

// The server, or none when the pipe cannot be made: the failure is reported
// and the slideshow runs on without answering status queries.
std::unique_ptr<StatusServer> startStatusServer(const StatusRecord& record,
                                                EventLog& eventLog) noexcept;

} // namespace Korva::QELD
