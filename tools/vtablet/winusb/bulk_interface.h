#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>

namespace Korva::VTablet {

// What a WinUSB interface handle of the test double stands for: the file
// handle of a virtual tablet's bulk interface (owned by the caller, as with
// WinUSB), and the lengths of the writes still in flight, which the double
// reports as transferred once the tablet has taken them.
class BulkInterface {
public:
    explicit BulkInterface(HANDLE file) : file_(file) {}

    HANDLE file() const { return file_; }

    // The pipe id the tablet reports: 0x01 (OUT), or 0x81 under its fault.
    bool queryPipe(std::uint8_t& pipeId);
    BOOL write(const void* data, ULONG length, ULONG* transferred, OVERLAPPED* overlapped);
    BOOL result(OVERLAPPED* overlapped, ULONG* transferred, BOOL wait);

private:
    BOOL control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize);

    HANDLE file_;
    std::mutex mutex_;
    std::map<OVERLAPPED*, ULONG> inFlight_;
};

} // namespace Korva::VTablet
