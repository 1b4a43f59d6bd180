#pragma once

#include <windows.h>

// The committed private regions of a process's address space: the private
// bytes on Windows and under Wine alike (Wine leaves PrivateUsage at 0).
inline unsigned long long committedPrivateBytes(HANDLE process) {
    unsigned long long total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* address = nullptr;
         ::VirtualQueryEx(process, address, &region, sizeof(region)) == sizeof(region);
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
    }
    return total;
}
