#include "applet/launch.h"

#include <shellapi.h>

namespace Korva::QELD {

namespace {

DWORD shellLaunch(HWND owner, const wchar_t* verb, const std::wstring& program) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = verb;
    info.lpFile = program.c_str();
    info.lpParameters = L"";
    info.nShow = SW_SHOW;
    return ::ShellExecuteExW(&info) ? ERROR_SUCCESS : ::GetLastError();
}

} // namespace

LaunchStep& launchStep() noexcept {
    static LaunchStep step = shellLaunch;
    return step;
}

} // namespace Korva::QELD
