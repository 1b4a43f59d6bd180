#include "settings/configuration_data.h"

#include "common/debug_output.h"
#include "common/error_categories.h"
#include "common/thread_body.h"

#include <system_error>

namespace Korva::QELD {

using Win32::debugOutput;

void ConfigurationData::readerThread() noexcept {
    Win32::runThreadBody(
        "ConfigurationData::readerThread", [this] { watchRegistry(); },
        [](std::exception_ptr failure) {
            try {
                std::rethrow_exception(failure);
            } catch (const std::system_error&) {
                debugOutput(L"ConfigurationData::readerThread: EXCEPTION std::system_error\n");
            } catch (...) {
                debugOutput(L"ConfigurationData::readerThread: EXCEPTION (unknown)\n");
            }
        });
}

// The notification is armed before each read, so a change made while the
// read runs signals the event and causes one more read rather than being lost.
void ConfigurationData::watchRegistry() {
    const Win32::unique_event notification = Win32::createEvent();
    const HANDLE waits[] = {stopEvent_.get(), notification.get()};
    for (;;) {
        debugOutput(L"ConfigurationData::readerThread: setting notify\n");
        const LONG rc = ::RegNotifyChangeKeyValue(
            parametersKey_.get(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
            notification.get(), TRUE);
        if (rc != ERROR_SUCCESS)
            Win32::throwWin32(static_cast<DWORD>(rc), "RegNotifyChangeKeyValue");
        debugOutput(L"ConfigurationData::readerThread: reading registry\n");
        readRegistryAndUpdate();
        debugOutput(L"ConfigurationData::readerThread: waiting...\n");
        const DWORD result = ::WaitForMultipleObjectsEx(2, waits, FALSE, INFINITE, FALSE);
        if (result == WAIT_OBJECT_0)
            return;
        if (result != WAIT_OBJECT_0 + 1)
            Win32::throwLastError("WaitForMultipleObjectsEx");
        debugOutput(L"ConfigurationData::readerThread: update event!\n");
        ::ResetEvent(notification.get());
    }
}

} // namespace Korva::QELD
