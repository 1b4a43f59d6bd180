#include "applet/settings_store.h"

#include "applet/applet_paths.h"
#include "applet/core/option_tables.h"
#include "applet/pad_edit_dlg.h"
#include "applet/core/page_validation.h"
#include "applet/registry_key.h"
#include "applet/core/resource.h"
#include "applet/core/stored_layout.h"
#include "common/error_categories.h"

#include <shlwapi.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Korva::QELD {

namespace {

// How often a folder that changes between measuring and reading is read again.
constexpr int folderReadAttempts = 3;

std::wstring pageKeyPath(const CPadDlgBase& page) {
    const auto& parameters = appletPaths().parametersKey;
    return page.modelKey().empty() ? parameters : parameters + L"\\" + page.modelKey();
}

// Reads the folder whatever its length, so that a folder saved from the page
// is shown again as it was typed.
std::optional<std::wstring> readFolder(HKEY key) {
    for (int attempt = 0; attempt < folderReadAttempts; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        if (::RegQueryValueExW(key, L"Folder", nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        std::vector<std::uint8_t> bytes(size);
        const LONG rc = ::RegQueryValueExW(key, L"Folder", nullptr, &type, bytes.data(), &size);
        if (rc == ERROR_MORE_DATA)
            continue;
        if (rc != ERROR_SUCCESS)
            return std::nullopt;
        const auto text = storedFolder(type, bytes.data(), size);
        if (!text)
            return std::nullopt;
        return std::wstring(text->begin(), text->end());
    }
    return std::nullopt;
}

void check(bool written, const char* function) {
    if (!written)
        Korva::Win32::throwLastError(function);
}

void deleteModelKey(HKEY parameters, const std::wstring& model) {
    const LONG rc = ::RegDeleteKeyExW(parameters, model.c_str(), 0, 0);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
        Korva::Win32::throwWin32(static_cast<DWORD>(rc), "RegDeleteKeyExW");
}

void writeLayout(HKEY key, CPadEditDlg& page) {
    const auto size = page.selectedValue(IDC_SIZE_LIST);
    const auto position = page.selectedValue(IDC_POSITION_LIST);
    const auto border = page.selectedValue(IDC_BORDER_LIST);
    check(writeString(key, L"Folder", page.folderText()), "RegSetValueExW");
    // A list without selection has nothing to store; validation only lets that
    // through for lists that the chosen size does not use.
    if (size)
        check(writeDword(key, L"Scale", static_cast<DWORD>(*size)), "RegSetValueExW");
    if (position)
        check(writeDword(key, L"Clip", static_cast<DWORD>(*position)), "RegSetValueExW");
    if (border && *border == borderAutoValue)
        check(deleteValue(key, L"Border"), "RegDeleteValueW");
    else if (border)
        check(writeDword(key, L"Border", static_cast<DWORD>(*border)), "RegSetValueExW");
}

} // namespace

void LoadPageSettings(CPadDlgBase& page) {
    const auto key = openKeyForReading(HKEY_LOCAL_MACHINE, pageKeyPath(page));
    if (!key) {
        page.SetUseGeneric(true);
        return;
    }
    page.SetUseGeneric(false);
    if (const auto folder = readFolder(key.get()))
        page.SetFolder(*folder);
    const auto scale = readDword(key.get(), L"Scale");
    const auto layout =
        storedLayout(scale, readDword(key.get(), L"Border"), readDword(key.get(), L"Clip"));
    page.SetSizeIndex(layout.sizeIndex);
    if (layout.borderIndex)
        page.SetBorderIndex(*layout.borderIndex);
    if (layout.positionIndex)
        page.SetPositionIndex(*layout.positionIndex);
}

unsigned ValidatePage(CPadEditDlg& page) {
    PageChoices choices;
    choices.offersGeneric = page.offersGeneric();
    choices.useGeneric = page.IsUsingGeneric();
    const auto folder = page.folderText();
    choices.folderEmpty = folder.empty();
    choices.folderAccepted = !folder.empty() && IsFolderAccepted(folder.c_str());
    choices.size = page.selectedValue(IDC_SIZE_LIST);
    choices.border = page.selectedValue(IDC_BORDER_LIST);
    choices.position = page.selectedValue(IDC_POSITION_LIST);
    return validatePageChoices(choices);
}

void SavePageSettings(CPadEditDlg& page) {
    const bool ownSet = page.offersGeneric() && !page.IsUsingGeneric();
    const auto& parameters = appletPaths().parametersKey;
    const auto key =
        createKeyForWriting(HKEY_LOCAL_MACHINE, ownSet ? pageKeyPath(page) : parameters);
    check(static_cast<bool>(key), "RegCreateKeyExW");
    if (page.offersGeneric() && !ownSet)
        deleteModelKey(key.get(), page.modelKey());
    else
        writeLayout(key.get(), page);
}

bool IsFolderAccepted(const wchar_t* path) {
    if (::PathIsNetworkPathW(path))
        return false;
    wchar_t root[MAX_PATH] = {};
    ::lstrcpynW(root, path, MAX_PATH);
    if (!::PathStripToRootW(root))
        return true;
    switch (::GetDriveTypeW(root)) {
    case DRIVE_REMOVABLE:
    case DRIVE_REMOTE:
    case DRIVE_CDROM:
        return false;
    default:
        return true;
    }
}

unsigned LoadUpdateTime() {
    const auto key = openKeyForReading(HKEY_LOCAL_MACHINE, appletPaths().parametersKey);
    const auto milliseconds = key ? readDword(key.get(), L"Update Time") : std::nullopt;
    return storedIntervalSeconds(milliseconds);
}

} // namespace Korva::QELD
