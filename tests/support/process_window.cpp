#include "tests/support/process_window.h"

namespace Korva::QELD::Test {

HWND findProcessWindow(DWORD process, const wchar_t* className, const wchar_t* title) {
    for (HWND window = nullptr;
         (window = ::FindWindowExW(nullptr, window, className, title)) != nullptr;) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == process)
            return window;
    }
    return nullptr;
}

} // namespace Korva::QELD::Test
