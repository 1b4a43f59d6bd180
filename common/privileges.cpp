#include "common/privileges.h"

#include "common/error_categories.h"
#include "common/unique_handle.h"

namespace Korva::Win32 {

void reducePrivileges() {
    alignas(SID) BYTE sid[68];
    DWORD sidSize = sizeof sid;
    if (!::CreateWellKnownSid(WinMediumLabelSid, nullptr, sid, &sidSize)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_INVALID_PARAMETER)
            return;
        throwWin32(error, "CreateWellKnownSid");
    }
    unique_kernel_handle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_DEFAULT, token.put()))
        throwLastError("OpenProcessToken");
    TOKEN_MANDATORY_LABEL label{};
    label.Label.Sid = sid;
    label.Label.Attributes = SE_GROUP_INTEGRITY;
    if (!::SetTokenInformation(token.get(), TokenIntegrityLevel, &label, sizeof label))
        throwLastError("SetTokenInformation");
}

} // namespace Korva::Win32
