#pragma once

#include "common/unique_handle.h"
#include "settings/configuration_data.h"

#include <exception>

namespace Korva::QELD {

// Console mode has no service control events, so a hidden top-level window
// receives device arrival and removal and the resume broadcast the way a
// desktop program does, and turns them into flags on the settings object.
class WindowThread {
public:
    WindowThread(ConfigurationData& settings, HANDLE quitEvent)
        : settings_(settings), quitEvent_(quitEvent) {}

    // The thread's body; reports its own failure on standard output.
    void operator()() noexcept;

    // Registers the window for arrival and removal of every HID interface,
    // replacing an earlier registration.
    void registerDeviceNotification(HWND window);

    // The registration the thread left behind, if any; the console drops it
    // after joining the thread.
    Win32::unique_devnotify& deviceNotification() noexcept { return notification_; }

    static LRESULT CALLBACK wndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void run();
    void pumpMessages(HWND window);
    void onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    ConfigurationData& settings_;
    Win32::unique_devnotify notification_;
    HANDLE quitEvent_;
    // An exception from the window procedure cannot cross the system's
    // dispatching frames; it is kept here and raised again by the loop.
    std::exception_ptr failure_;
};

} // namespace Korva::QELD
