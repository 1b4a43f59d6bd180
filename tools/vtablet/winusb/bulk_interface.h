#pragma once

#include "common/unique_handle.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <thread>

namespace Korva::VTablet {

// What a WinUSB interface handle of the test double stands for: the file
// handle of a virtual tablet's bulk interface (owned by the caller, as with
// WinUSB), and the lengths of the writes still in flight, which the double
// reports as transferred once the tablet has taken them.
//
// A tablet with a bulk rate takes a write's length at that rate: the write
// stays pending that long on a thread of the double (one write at a time, as
// a pipe does), and an abort of the pipe ends it at once, as WinUSB does.
class BulkInterface {
public:
    explicit BulkInterface(HANDLE file);
    ~BulkInterface();
    BulkInterface(const BulkInterface&) = delete;
    BulkInterface& operator=(const BulkInterface&) = delete;

    HANDLE file() const { return file_; }

    // The pipe id the tablet reports: 0x01 (OUT), or 0x81 under its fault.
    bool queryPipe(std::uint8_t& pipeId);
    BOOL write(const void* data, ULONG length, ULONG* transferred, OVERLAPPED* overlapped);
    BOOL result(OVERLAPPED* overlapped, ULONG* transferred, BOOL wait);
    // Ends every write in flight as cancelled.
    BOOL abort();

private:
    BOOL control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize);
    BOOL pacedWrite(const void* data, ULONG length, OVERLAPPED* overlapped, std::uint32_t rate);
    void pace(const void* data, ULONG length, OVERLAPPED* overlapped, DWORD delay);

    HANDLE file_;
    std::mutex mutex_;
    std::map<OVERLAPPED*, ULONG> inFlight_;
    Win32::unique_event abort_;
    std::thread pacer_;
};

} // namespace Korva::VTablet
