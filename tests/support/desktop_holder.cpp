// Keeps Wine's desktop for a whole test run. Wine starts the desktop's own
// process from whichever program first needs a window, and that process
// inherits the program's standard error: started from a test, it would hold
// ctest's output pipe open after the test has ended, and ctest would wait for
// it until the test's timeout. Started first, with its output going nowhere,
// this program makes the desktop's process its own and, as a user of the
// desktop, keeps Wine from closing it between tests.
#include <windows.h>

#include <cstdio>

int main() {
    ::GetDesktopWindow();
    // The line tells the starting script that the desktop is up.
    std::puts("ready");
    std::fflush(stdout);
    ::Sleep(INFINITE);
}
