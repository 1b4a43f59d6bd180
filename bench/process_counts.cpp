// Prints what one running process holds, as the soak script samples it:
//   <pid> handles=<n> threads=<n> private=<bytes> workingset=<bytes>
// for every process whose executable name matches (case-insensitive).
// Usage: process_counts <executable name>; exit code 1 when none runs.
//
// Wine 8.0 answers GetProcessHandleCount with 0 and leaves PrivateUsage of
// GetProcessMemoryInfo at 0 for another process, so the handles are counted
// in the system's handle table and the private bytes are the committed
// private regions of the process's address space, which both platforms give.
#include "bench/private_bytes.h"
#include "common/error_categories.h"
#include "common/unique_handle.h"

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <exception>
#include <vector>

namespace {

using Korva::Win32::unique_file;
using Korva::Win32::unique_kernel_handle;

// One entry of SystemExtendedHandleInformation (class 64), which MinGW's
// headers do not declare.
struct HandleEntry {
    void* object;
    ULONG_PTR processId;
    ULONG_PTR handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG handleAttributes;
    ULONG reserved;
};

struct HandleTable {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};

constexpr auto extendedHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(64);
constexpr NTSTATUS infoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

unsigned long countHandles(DWORD processId) {
    std::vector<unsigned char> buffer(1 << 20);
    NTSTATUS status;
    ULONG needed = 0;
    while ((status = ::NtQuerySystemInformation(extendedHandleInformation, buffer.data(),
                                                static_cast<ULONG>(buffer.size()), &needed)) ==
           infoLengthMismatch)
        buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed));
    if (status < 0)
        Korva::Win32::throwNtStatus(status, "NtQuerySystemInformation");
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    unsigned long count = 0;
    for (ULONG_PTR i = 0; i < table->count; ++i)
        count += table->entries[i].processId == processId;
    return count;
}

void printCounts(const PROCESSENTRY32W& entry) {
    unique_kernel_handle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID));
    if (!process)
        Korva::Win32::throwLastError("OpenProcess");
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    if (!::GetProcessMemoryInfo(process.get(), &memory, sizeof(memory)))
        Korva::Win32::throwLastError("GetProcessMemoryInfo");
    std::printf("%lu handles=%lu threads=%lu private=%llu workingset=%llu\n", entry.th32ProcessID,
                countHandles(entry.th32ProcessID), entry.cntThreads,
                committedPrivateBytes(process.get()),
                static_cast<unsigned long long>(memory.WorkingSetSize));
}

int countMatching(const wchar_t* name) {
    // A snapshot is invalid, not null, on failure, as a file handle is.
    unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        Korva::Win32::throwLastError("CreateToolhelp32Snapshot");
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    int found = 0;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (::_wcsicmp(entry.szExeFile, name) == 0) {
            printCounts(entry);
            ++found;
        }
    }
    return found;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: process_counts <executable name>\n");
        return 2;
    }
    try {
        return countMatching(argv[1]) != 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "process_counts: %s\n", e.what());
        return 2;
    }
}
