// The installer's own custom actions: a DLL in the package's Binary table,
// run by Windows Installer before anything is installed.
#include "service/core/folder_path.h"

#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <string>

namespace {

std::wstring wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::wstring property(MSIHANDLE install, const wchar_t* name) {
    DWORD size = 0;
    wchar_t empty[1] = {};
    if (::MsiGetPropertyW(install, name, empty, &size) != ERROR_MORE_DATA)
        return {};
    std::wstring value(++size, L'\0');
    if (::MsiGetPropertyW(install, name, value.data(), &size) != ERROR_SUCCESS)
        return {};
    value.resize(size);
    return value;
}

// A drive letter the installing user has mapped to a share; the service runs
// in another logon session and cannot see it.
bool isNetworkDrive(char16_t drive) {
    const wchar_t root[] = {static_cast<wchar_t>(drive), L':', L'\\', L'\0'};
    return ::GetDriveTypeW(root) == DRIVE_REMOTE;
}

} // namespace

// Checks PICTURESFOLDER by the product's own rules. A bad value goes to
// INVALIDSETTING, which a launch condition turns into a refused installation
// before anything is written; a good one, with "\" separators and one
// trailing "\", goes to FOLDERVALUE, the text written to "Folder".
extern "C" __declspec(dllexport) UINT __stdcall CheckPicturesFolder(MSIHANDLE install) {
    try {
        const std::wstring given = property(install, L"PICTURESFOLDER");
        if (given.empty())
            return ERROR_SUCCESS;
        const Korva::QELD::FolderPathCheck check = Korva::QELD::checkFolderPath(
            std::u16string(given.begin(), given.end()), isNetworkDrive);
        if (check.problem == Korva::QELD::FolderPathProblem::None)
            return ::MsiSetPropertyW(install, L"FOLDERVALUE", wide(check.folder).c_str());
        const std::wstring message = L"Invalid PICTURESFOLDER \"" + given + L"\": " +
                                     wide(Korva::QELD::folderPathAdvice(check.problem));
        return ::MsiSetPropertyW(install, L"INVALIDSETTING", message.c_str());
    } catch (...) {
        return ERROR_INSTALL_FAILURE;
    }
}
