#include "common/debug_output.h"

#include <windows.h>

namespace Korva::Win32 {

void debugOutput(const wchar_t* text) noexcept {
    ::OutputDebugStringW(text);
}

} // namespace Korva::Win32
