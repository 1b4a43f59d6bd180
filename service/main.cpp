#include "service/core/command_line.h"
#include "service/console.h"
#include "service/install.h"
#include "service/recovery_actions.h"
#include "service/service_main.h"
#include "service/status_client.h"

#include <windows.h>

#include <string>

using namespace Korva::QELD;

int main() {
    const wchar_t* commandLine = ::GetCommandLineW();
    if (commandLine == nullptr)
        return static_cast<int>(::GetLastError());
    const std::wstring line(commandLine);
    const std::u16string_view text(reinterpret_cast<const char16_t*>(line.data()), line.size());
    switch (processRole(text)) {
    case ProcessRole::Install:
        return installService();
    case ProcessRole::Uninstall:
        return uninstallService();
    case ProcessRole::Service:
        return runServiceDispatcher();
    case ProcessRole::Account: {
        const std::u16string account = serviceAccount(text);
        return changeServiceAccount(std::wstring(account.begin(), account.end()));
    }
    case ProcessRole::Recovery:
        return configureRecovery();
    case ProcessRole::Status:
        return printStatus(statusAsJson(text));
    case ProcessRole::Protect:
        return protectInstallation(protectArguments(text));
    case ProcessRole::Console:
        break;
    }
    return console();
}
