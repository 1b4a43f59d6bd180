#include "applet/pad_edit_dlg.h"

#include "applet/folder_browser.h"
#include "applet/module.h"
#include "applet/core/option_tables.h"
#include "applet/core/resource.h"
#include "applet/user_messages.h"

#include <commctrl.h>

#include <span>

namespace Korva::QELD {

namespace {

// The controls that "Use generic settings" greys out.
constexpr int settingsControls[] = {
    IDC_FOLDER_LABEL, IDC_FOLDER,       IDC_BROWSE,        IDC_SIZE_LIST,      IDC_SIZE_LABEL,
    IDC_BORDER_LIST,  IDC_BORDER_LABEL, IDC_POSITION_LIST, IDC_POSITION_LABEL, IDC_PREVIEW};

void fillList(HWND list, std::span<const OptionRow> rows) {
    for (const auto& row : rows) {
        const auto text = loadString(row.textId);
        const auto index =
            ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        ::SendMessageW(list, CB_SETITEMDATA, index, row.value);
    }
}

void selectRow(HWND list, std::size_t index) {
    ::SendMessageW(list, CB_SETCURSEL, index, 0);
}

} // namespace

CPadEditDlg::CPadEditDlg(const PageRow& row) : CPadDlgBase(row, IDD_EDIT_PAGE) {}

bool CPadEditDlg::IsUsingGeneric() {
    return ::SendMessageW(useGeneric_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CPadEditDlg::SetUseGeneric(bool useGeneric) {
    if (!offersGeneric())
        return;
    ::SendMessageW(useGeneric_, BM_SETCHECK, useGeneric ? BST_CHECKED : BST_UNCHECKED, 0);
    enableSettings(!useGeneric);
}

void CPadEditDlg::SetFolder(const std::wstring& folder) {
    ::SetWindowTextW(folder_, folder.c_str());
}

void CPadEditDlg::SetSizeIndex(std::size_t index) {
    selectRow(size_, index);
}
void CPadEditDlg::SetBorderIndex(std::size_t index) {
    selectRow(border_, index);
}
void CPadEditDlg::SetPositionIndex(std::size_t index) {
    selectRow(position_, index);
}

std::wstring CPadEditDlg::folderText() const {
    std::wstring text(::GetWindowTextLengthW(folder_) + 1, L'\0');
    text.resize(::GetWindowTextW(folder_, text.data(), static_cast<int>(text.size())));
    return text;
}

std::optional<std::int32_t> CPadEditDlg::selectedValue(int listId) const {
    const HWND list = item(listId);
    const auto row = ::SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (row == CB_ERR)
        return std::nullopt;
    return static_cast<std::int32_t>(::SendMessageW(list, CB_GETITEMDATA, row, 0));
}

bool CPadEditDlg::handleMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
    switch (message) {
    case WM_INITDIALOG:
        onInitDialog();
        result = TRUE;
        return true;
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return true;
    default:
        return false;
    }
}

void CPadEditDlg::onInitDialog() {
    mainDialog_ = ::GetParent(hwnd());
    useGeneric_ = item(IDC_USE_GENERIC);
    folder_ = item(IDC_FOLDER);
    size_ = item(IDC_SIZE_LIST);
    border_ = item(IDC_BORDER_LIST);
    position_ = item(IDC_POSITION_LIST);
    if (!offersGeneric())
        ::ShowWindow(useGeneric_, SW_HIDE);
    fillLists();
    initPage();
    RefreshPreview();
}

void CPadEditDlg::fillLists() {
    fillList(size_, SizeOptions);
    fillList(border_, BorderOptions);
    fillList(position_, PositionOptions);
    selectRow(size_, initialSizeIndex);
    selectRow(border_, initialBorderIndex);
    selectRow(position_, initialPositionIndex);
}

void CPadEditDlg::onCommand(int id, int code) {
    if (id == IDC_USE_GENERIC && code == BN_CLICKED) {
        enableSettings(!IsUsingGeneric());
        RefreshPreview();
        markModified();
    } else if ((id == IDC_SIZE_LIST || id == IDC_BORDER_LIST || id == IDC_POSITION_LIST) &&
               code == CBN_SELCHANGE) {
        RefreshPreview();
        markModified();
    } else if (id == IDC_FOLDER && code == EN_CHANGE) {
        markModified();
    } else if (id == IDC_BROWSE && code == BN_CLICKED) {
        browseForFolder();
    }
}

void CPadEditDlg::enableSettings(bool enable) {
    for (const int id : settingsControls)
        ::EnableWindow(item(id), enable);
}

void CPadEditDlg::RefreshPreview() {
    const bool usingGeneric = offersGeneric() && IsUsingGeneric();
    const auto size = usingGeneric ? -1 : selectedValue(IDC_SIZE_LIST).value_or(-1);
    showPreviewKey(editPreviewKey(usingGeneric, size, selectedValue(IDC_BORDER_LIST).value_or(-1),
                                  selectedValue(IDC_POSITION_LIST).value_or(-1), autoBorder()));
    ::EnableWindow(position_, size == sizeOriginal);
}

void CPadEditDlg::markModified() {
    ::SendMessageW(mainDialog_, UM_SETMODIFIED, 1, 0);
}

void CPadEditDlg::browseForFolder() {
    if (const auto picked = browseForPictureFolder(hwnd(), folderText()))
        SetFolder(*picked);
}

} // namespace Korva::QELD
