#include "service/command_line.h"
#include "service/console.h"
#include "service/install.h"
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
    switch (processRole(
        std::u16string_view(reinterpret_cast<const char16_t*>(line.data()), line.size()))) {
    case ProcessRole::Install:
        return installService();
    case ProcessRole::Uninstall:
        return uninstallService();
    case ProcessRole::Service:
        return runServiceDispatcher();
    case ProcessRole::Status:
        return printStatus();
    case ProcessRole::Console:
        break;
    }
    console();
    return 0;
}
