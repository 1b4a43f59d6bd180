#include "service/folder_protection.h"
#include "service/least_privilege.h"
#include "tests/support/temporary_file.h"

#include "common/unique_handle.h"

#include <gtest/gtest.h>

#include <aclapi.h>

#include <map>
#include <string>
#include <system_error>

using namespace Korva::QELD;

namespace {

const std::wstring serviceSid = L"S-1-5-80-1476206524-4136766540-2807376624-2104021116-3576626937";

} // namespace

// Wine refuses both levels (ERROR_INVALID_LEVEL) and keeps neither setting, so
// the calls are checked here through the replaceable step; Windows keeps them
// and QueryServiceConfig2W reads them back.
TEST(LeastPrivilege, DeclaresTheOnePrivilegeUsedAndAnUnrestrictedServiceSid) {
    std::map<DWORD, std::wstring> declared;
    declareLeastPrivilege(nullptr, [&](SC_HANDLE, DWORD level, void* info) {
        if (level == SERVICE_CONFIG_REQUIRED_PRIVILEGES_INFO) {
            const wchar_t* list =
                static_cast<SERVICE_REQUIRED_PRIVILEGES_INFOW*>(info)->pmszRequiredPrivileges;
            declared[level] = std::wstring(list, list + ::lstrlenW(list) + 2);
        } else if (level == SERVICE_CONFIG_SERVICE_SID_INFO) {
            declared[level] =
                std::to_wstring(static_cast<SERVICE_SID_INFO*>(info)->dwServiceSidType);
        }
        ::SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    });
    EXPECT_EQ(declared[SERVICE_CONFIG_REQUIRED_PRIVILEGES_INFO],
              std::wstring(L"SeChangeNotifyPrivilege\0\0", 25))
        << "a list of names ending in an empty one";
    EXPECT_EQ(declared[SERVICE_CONFIG_SERVICE_SID_INFO],
              std::to_wstring(SERVICE_SID_TYPE_UNRESTRICTED));

    const auto refused = [](SC_HANDLE, DWORD, void*) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    };
    EXPECT_THROW(declareLeastPrivilege(nullptr, refused), std::system_error)
        << "only an unknown level is let pass";
}

TEST(FolderProtection, FoldersGetProtectedRightsThatTheSystemReadsBack) {
    const Korva::QELD::Test::TemporaryFile folder(L"qeld-pictures", L"");
    ASSERT_TRUE(::CreateDirectoryW(folder.path().c_str(), nullptr));
    std::map<std::wstring, std::wstring> given;
    const auto record = [&](const std::wstring& path, const std::wstring& dacl) {
        given[path] = dacl;
    };

    protectPicturesFolder(folder.path(), {L"Guests"}, record);
    EXPECT_EQ(given[folder.path()], L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;" +
                                        serviceSid +
                                        L")(A;OICI;0x1200a9;;;BU)(A;OICI;0x1301bf;;;S-1-5-32-546)");
    EXPECT_THROW(protectPicturesFolder(folder.path(), {L"No Such Group"}, record),
                 std::system_error);

    createLocalCopyFolder(record);
    EXPECT_EQ(given[localCopyFolder()],
              L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1301bf;;;" + serviceSid + L")");
    EXPECT_NE(::GetFileAttributesW(localCopyFolder().c_str()), INVALID_FILE_ATTRIBUTES);

    // The system takes the rights; Wine keeps no DACL of a file or folder (it
    // shows one made from the Unix mode bits), so the read-back finds no
    // protected DACL here, where Windows finds exactly the one recorded above.
    protectPicturesFolder(folder.path(), {L"Guests"});
    Korva::Win32::unique_local_memory descriptor;
    PACL dacl = nullptr;
    ASSERT_EQ(::GetNamedSecurityInfoW(folder.path().c_str(), SE_FILE_OBJECT,
                                      DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                                      descriptor.put()),
              static_cast<DWORD>(ERROR_SUCCESS));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(::GetSecurityDescriptorControl(descriptor.get(), &control, &revision));
    EXPECT_EQ(control & SE_DACL_PROTECTED, 0) << "Wine's answer; Windows sets SE_DACL_PROTECTED";
    ::RemoveDirectoryW(folder.path().c_str());
}
