#include "applet/settings_store.h"

#include "applet/applet_paths.h"
#include "applet/core/option_tables.h"
#include "applet/pad_edit_dlg.h"
#include "applet/core/page_validation.h"
#include "applet/core/resource.h"
#include "applet/core/stored_layout.h"
#include "common/error_categories.h"
#include "common/registry_key.h"

#include <shlwapi.h>

#include <string>

namespace Korva::QELD {

namespace {

using namespace Korva::Win32;

std::wstring pageKeyPath(const CPadDlgBase& page) {
    const auto& parameters = appletPaths().parametersKey;
    return page.modelKey().empty() ? parameters : parameters + L"\\" + page.modelKey();
}

// Reads the folder whatever its length, so that a folder saved from the page
// is shown again as it was typed.
std::optional<std::wstring> readFolder(HKEY key) {
    const auto value = readValue(key, L"Folder");
    const auto text =
        value ? storedFolder(value->type, value->bytes.data(), value->bytes.size()) : std::nullopt;
    if (!text)
        return std::nullopt;
    return std::wstring(text->begin(), text->end());
}

void writeLayout(HKEY key, CPadEditDlg& page) {
    const auto size = page.selectedValue(IDC_SIZE_LIST);
    const auto position = page.selectedValue(IDC_POSITION_LIST);
    const auto border = page.selectedValue(IDC_BORDER_LIST);
    throwIfFailed(writeString(key, L"Folder", page.folderText()), "RegSetValueExW");
    // A list without selection has nothing to store; validation only lets that
    // through for lists that the chosen size does not use.
    if (size)
        throwIfFailed(writeDword(key, L"Scale", static_cast<DWORD>(*size)), "RegSetValueExW");
    if (position)
        throwIfFailed(writeDword(key, L"Clip", static_cast<DWORD>(*position)), "RegSetValueExW");
    if (border && *border == borderAutoValue)
        throwIfFailed(deleteValue(key, L"Border"), "RegDeleteValueW");
    else if (border)
        throwIfFailed(writeDword(key, L"Border", static_cast<DWORD>(*border)), "RegSetValueExW");
}

} // namespace

void LoadPageSettings(CPadDlgBase& page) {
    RegistryKey key;
    if (key.open(HKEY_LOCAL_MACHINE, pageKeyPath(page), KEY_READ)) {
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
    RegistryKey key;
    throwIfFailed(
        key.create(HKEY_LOCAL_MACHINE, ownSet ? pageKeyPath(page) : parameters, appletWriteAccess),
        "RegCreateKeyExW");
    if (page.offersGeneric() && !ownSet)
        throwIfFailed(deleteKey(key.get(), page.modelKey()), "RegDeleteKeyExW");
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
    RegistryKey key;
    key.open(HKEY_LOCAL_MACHINE, appletPaths().parametersKey, KEY_READ);
    const auto milliseconds = key ? readDword(key.get(), L"Update Time") : std::nullopt;
    return storedIntervalSeconds(milliseconds);
}

} // namespace Korva::QELD
