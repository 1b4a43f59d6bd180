// A service for the applet's tests that stays on its way to a state until the
// test lets it go on: it reports "start pending" until the test sets the
// event "Global\QELDTEST_LET_RUN", and "stop pending" after a stop request
// until the test sets "Global\QELDTEST_LET_STOP". The real service passes
// through both states too quickly to be seen.
#include "common/unique_handle.h"

namespace {

using Korva::Win32::unique_kernel_handle;

// A test that fails before it lets the service go on must not leave it
// waiting for ever.
constexpr DWORD longestWait = 60000;

SERVICE_STATUS_HANDLE statusHandle = nullptr;
SERVICE_STATUS status{SERVICE_WIN32_OWN_PROCESS, SERVICE_STOPPED, 0, NO_ERROR, 0, 0, 2000};
unique_kernel_handle stopRequested;

void report(DWORD state, DWORD controls) {
    status.dwCurrentState = state;
    status.dwControlsAccepted = controls;
    ++status.dwCheckPoint;
    ::SetServiceStatus(statusHandle, &status);
}

void awaitTest(const wchar_t* eventName) {
    const unique_kernel_handle event(::OpenEventW(SYNCHRONIZE, FALSE, eventName));
    if (event)
        ::WaitForSingleObject(event.get(), longestWait);
}

DWORD WINAPI control(DWORD code, DWORD, LPVOID, LPVOID) {
    if (code == SERVICE_CONTROL_INTERROGATE)
        return NO_ERROR;
    if (code != SERVICE_CONTROL_STOP)
        return ERROR_CALL_NOT_IMPLEMENTED;
    report(SERVICE_STOP_PENDING, 0);
    ::SetEvent(stopRequested.get());
    return NO_ERROR;
}

void WINAPI serviceMain(DWORD, LPWSTR* arguments) {
    statusHandle = ::RegisterServiceCtrlHandlerExW(arguments[0], control, nullptr);
    if (statusHandle == nullptr)
        return;
    report(SERVICE_START_PENDING, 0);
    awaitTest(L"Global\\QELDTEST_LET_RUN");
    report(SERVICE_RUNNING, SERVICE_ACCEPT_STOP);
    ::WaitForSingleObject(stopRequested.get(), INFINITE);
    awaitTest(L"Global\\QELDTEST_LET_STOP");
    report(SERVICE_STOPPED, 0);
}

} // namespace

int main() {
    stopRequested.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(L""), serviceMain}, {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherW(table) ? 0 : static_cast<int>(::GetLastError());
}
