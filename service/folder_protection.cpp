#include "service/folder_protection.h"

#include "common/error_categories.h"
#include "common/core/utf.h"
#include "common/unique_handle.h"
#include "service/core/folder_rights.h"

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

namespace Korva::QELD {
namespace {

using namespace Korva::Win32;

std::wstring wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::u16string sidOfGroup(const std::wstring& name) {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    wchar_t domain[256];
    DWORD domainSize = 256;
    SID_NAME_USE use{};
    if (!::LookupAccountNameW(nullptr, name.c_str(), sid, &sidSize, domain, &domainSize, &use))
        throwLastError(("LookupAccountName(\"" +
                        utf8FromUtf16(std::u16string(name.begin(), name.end())) + "\")")
                           .c_str());
    unique_local_memory text;
    if (!::ConvertSidToStringSidW(sid, reinterpret_cast<wchar_t**>(text.put())))
        throwLastError("ConvertSidToStringSid");
    const auto* characters = static_cast<const wchar_t*>(text.get());
    return std::u16string(characters, characters + ::lstrlenW(characters));
}

bool hasProtectedDacl(const std::wstring& folder) {
    unique_local_memory descriptor;
    PACL dacl = nullptr;
    if (::GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &dacl, nullptr, descriptor.put()) != ERROR_SUCCESS)
        return false;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    return ::GetSecurityDescriptorControl(descriptor.get(), &control, &revision) &&
           (control & SE_DACL_PROTECTED) != 0;
}

std::wstring programData() {
    unique_com_memory path;
    const HRESULT hr = ::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr,
                                              reinterpret_cast<PWSTR*>(path.put()));
    if (FAILED(hr))
        throwHResult(hr, "SHGetKnownFolderPath(FOLDERID_ProgramData)");
    return static_cast<const wchar_t*>(path.get());
}

void createFolder(const std::wstring& folder) {
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        throwLastError("CreateDirectory");
}

} // namespace

void setProtectedDacl(const std::wstring& folder, const std::wstring& dacl) {
    unique_local_memory descriptor;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(dacl.c_str(), SDDL_REVISION_1,
                                                                descriptor.put(), nullptr))
        throwLastError("ConvertStringSecurityDescriptorToSecurityDescriptor");
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = nullptr;
    if (!::GetSecurityDescriptorDacl(descriptor.get(), &present, &list, &defaulted))
        throwLastError("GetSecurityDescriptorDacl");
    const DWORD rc =
        ::SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, list, nullptr);
    if (rc != ERROR_SUCCESS)
        throwWin32(rc, "SetNamedSecurityInfo");
}

void protectPicturesFolder(const std::wstring& folder, const std::vector<std::wstring>& editors,
                           const FolderDaclStep& step) {
    if (editors.empty() && hasProtectedDacl(folder))
        return;
    std::vector<std::u16string> sids;
    for (const std::wstring& name : editors)
        sids.push_back(sidOfGroup(name));
    step(folder, wide(protectedFolderDacl(picturesFolderGrants(sids))));
}

std::wstring localCopyFolder() {
    return programData() + L"\\Zelqa\\QEL Display\\Picture copies\\";
}

void createLocalCopyFolder(const FolderDaclStep& step) {
    const std::wstring vendor = programData() + L"\\Zelqa";
    createFolder(vendor);
    createFolder(vendor + L"\\QEL Display");
    const std::wstring folder = localCopyFolder();
    createFolder(folder);
    step(folder, wide(protectedFolderDacl(localCopyFolderGrants())));
}

} // namespace Korva::QELD
