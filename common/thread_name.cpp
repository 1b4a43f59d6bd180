#include "common/thread_name.h"

#include <windows.h>

namespace Korva::Win32 {
namespace {

constexpr DWORD threadNameException = 0x406D1388;

// Debuggers see the naming exception first; when none takes it, this
// handler swallows it so that the process goes on. MinGW has no structured
// exception blocks, so a vectored handler plays that role.
LONG CALLBACK swallowThreadName(EXCEPTION_POINTERS* info) {
    return info->ExceptionRecord->ExceptionCode == threadNameException
               ? EXCEPTION_CONTINUE_EXECUTION
               : EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

void setThreadName(const char* name) noexcept {
    static const PVOID handler = ::AddVectoredExceptionHandler(0, swallowThreadName);
    if (handler == nullptr)
        return;
    const ULONG_PTR info[4] = {0x1000, reinterpret_cast<ULONG_PTR>(name),
                               static_cast<ULONG_PTR>(-1), 0};
    ::RaiseException(threadNameException, 0, 4, info);
}

} // namespace Korva::Win32
