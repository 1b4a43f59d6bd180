#include "common/privileges.h"

#include "common/error_categories.h"
#include "common/unique_handle.h"

#include <vector>

namespace Korva::Win32 {
namespace {

void lowerIntegrity(HANDLE token) {
    alignas(SID) BYTE sid[68];
    DWORD sidSize = sizeof sid;
    if (!::CreateWellKnownSid(WinMediumLabelSid, nullptr, sid, &sidSize)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_INVALID_PARAMETER)
            return;
        throwWin32(error, "CreateWellKnownSid");
    }
    TOKEN_MANDATORY_LABEL label{};
    label.Label.Sid = sid;
    label.Label.Attributes = SE_GROUP_INTEGRITY;
    if (!::SetTokenInformation(token, TokenIntegrityLevel, &label, sizeof label))
        throwLastError("SetTokenInformation");
}

std::vector<BYTE> tokenPrivileges(HANDLE token) {
    DWORD size = 0;
    ::GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (!::GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size))
        throwLastError("GetTokenInformation(TokenPrivileges)");
    return buffer;
}

// A removed privilege is gone from the token for good: unlike a disabled
// one, no code running in the process (a picture decoder among it) can
// enable it again.
void removeUnusedPrivileges(HANDLE token) {
    std::vector<BYTE> buffer = tokenPrivileges(token);
    auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer.data());
    LUID used{};
    if (!::LookupPrivilegeValueW(nullptr, usedPrivilege, &used))
        throwLastError("LookupPrivilegeValue");
    DWORD kept = 0;
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
        if (entry.Luid.LowPart == used.LowPart && entry.Luid.HighPart == used.HighPart)
            continue;
        entry.Attributes = SE_PRIVILEGE_REMOVED;
        privileges->Privileges[kept++] = entry;
    }
    privileges->PrivilegeCount = kept;
    if (kept == 0)
        return;
    if (!::AdjustTokenPrivileges(token, FALSE, privileges, 0, nullptr, nullptr) ||
        ::GetLastError() != ERROR_SUCCESS)
        throwLastError("AdjustTokenPrivileges");
}

} // namespace

void reducePrivileges() {
    unique_kernel_handle token;
    if (!::OpenProcessToken(::GetCurrentProcess(),
                            TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                            token.put()))
        throwLastError("OpenProcessToken");
    lowerIntegrity(token.get());
    removeUnusedPrivileges(token.get());
}

} // namespace Korva::Win32
