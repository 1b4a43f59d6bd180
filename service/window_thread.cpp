#include "service/window_thread.h"

#include "common/error_categories.h"
#include "common/thread_body.h"

#include <dbt.h>
#include "common/hid.h"

#include <iostream>

namespace Korva::QELD {

namespace {

constexpr const wchar_t* className = L"WindowThread";

// The class goes with the thread, so that a later window thread of the same
// process registers it afresh.
class WindowClass {
public:
    explicit WindowClass(const WNDCLASSEXW& windowClass) : instance_(windowClass.hInstance) {
        if (::RegisterClassExW(&windowClass) == 0)
            Win32::throwLastError("RegisterClassEx");
    }
    ~WindowClass() { ::UnregisterClassW(className, instance_); }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

private:
    HINSTANCE instance_;
};

} // namespace

void WindowThread::operator()() noexcept {
    Win32::runThreadBody(
        "WindowThread", [this] { run(); },
        [](std::exception_ptr failure) {
            try {
                std::rethrow_exception(failure);
            } catch (const std::exception& e) {
                std::cout << "FATAL ERROR: uncaught exception from WindowThread: " << e.what()
                          << std::endl;
            } catch (...) {
                std::cout << "FATAL ERROR: uncaught exception from WindowThread" << std::endl;
            }
        });
}

void WindowThread::run() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = wndProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    const WindowClass registered(windowClass);
    const HWND window = ::CreateWindowExW(0, className, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr,
                                          windowClass.hInstance, this);
    if (window == nullptr)
        return;
    try {
        if (failure_)
            std::rethrow_exception(failure_);
        pumpMessages(window);
    } catch (...) {
        ::DestroyWindow(window);
        throw;
    }
}

void WindowThread::pumpMessages(HWND window) {
    for (;;) {
        const DWORD result = ::MsgWaitForMultipleObjectsEx(1, &quitEvent_, INFINITE, QS_ALLINPUT,
                                                           MWMO_INPUTAVAILABLE);
        if (result == WAIT_OBJECT_0) {
            if (!::DestroyWindow(window))
                Win32::throwLastError("DestroyWindow");
            // The quit message posted by WM_DESTROY is already queued: take it
            // now rather than wait again on the event, which stays signalled.
        } else if (result != WAIT_OBJECT_0 + 1) {
            Win32::throwLastError("MsgWaitForMultipleObjectsEx");
        }
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
            if (failure_)
                std::rethrow_exception(failure_);
        }
        // Sent messages, such as the device and power broadcasts, reach the
        // window procedure inside PeekMessage, not through DispatchMessage.
        if (failure_)
            std::rethrow_exception(failure_);
    }
}

void WindowThread::registerDeviceNotification(HWND window) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = 32;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    ::HidD_GetHidGuid(&filter.dbcc_classguid);
    Win32::unique_devnotify registration(
        ::RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
    if (!registration)
        Win32::throwLastError("RegisterDeviceNotification");
    notification_ = std::move(registration);
}

LRESULT CALLBACK WindowThread::wndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        const auto create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<WindowThread*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
        try {
            self->onMessage(window, message, wParam, lParam);
        } catch (...) {
            self->failure_ = std::current_exception();
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void WindowThread::onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        registerDeviceNotification(window);
        break;
    case WM_DEVICECHANGE:
        if (wParam == DBT_DEVICEARRIVAL) {
            settings_.signalDeviceChange();
            const auto record = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(lParam);
            const bool named =
                record != nullptr && record->dbcc_devicetype == DBT_DEVTYP_DEVICEINTERFACE;
            std::wcout << L"dbg: WindowThread: WM_DEVICECHANGE/DBT_DEVICEARRIVAL -- "
                       << (named ? record->dbcc_name : L"") << std::endl;
        } else if (wParam == DBT_DEVICEREMOVECOMPLETE) {
            std::cout << "dbg: WindowThread: WM_DEVICECHANGE/DBT_DEVICEREMOVECOMPLETE" << std::endl;
            settings_.signalDeviceChange();
        }
        break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMRESUMEAUTOMATIC) {
            std::cout << "dbg: WindowThread: WM_POWERBROADCAST/PBT_APMRESUMEAUTOMATIC" << std::endl;
            settings_.signalResume();
        } else {
            std::cout << "dbg: WindowThread: WM_POWERBROADCAST/???" << std::endl;
        }
        break;
    case WM_TIMECHANGE:
        std::cout << "dbg: WindowThread: WM_TIMECHANGE" << std::endl;
        settings_.signalTimeChange();
        break;
    case WM_DESTROY:
        notification_.reset();
        ::PostQuitMessage(0);
        break;
    default:
        break;
    }
}

} // namespace Korva::QELD
