#include "applet/pad_view_dlg.h"

#include "applet/module.h"
#include "applet/core/option_tables.h"
#include "applet/core/resource.h"

#include <span>

namespace Korva::QELD {

namespace {

// The controls hidden while the page shows "Use generic settings".
constexpr int settingsControls[] = {IDC_FOLDER_LABEL, IDC_FOLDER,       IDC_LAYOUT_GROUP,
                                    IDC_SIZE_LABEL,   IDC_BORDER_LABEL, IDC_POSITION_LABEL,
                                    IDC_SIZE_LIST,    IDC_BORDER_LIST,  IDC_POSITION_LIST};

std::int32_t showRow(HWND field, std::span<const OptionRow> rows, std::size_t index) {
    ::SetWindowTextW(field, loadString(rows[index].textId).c_str());
    return rows[index].value;
}

} // namespace

CPadViewDlg::CPadViewDlg(const PageRow& row) : CPadDlgBase(row, IDD_VIEW_PAGE) {}

bool CPadViewDlg::IsUsingGeneric() {
    // The page itself may be hidden behind another tab: only the text's own
    // visibility counts.
    return (::GetWindowLongW(useGeneric_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void CPadViewDlg::SetUseGeneric(bool useGeneric) {
    ::ShowWindow(useGeneric_, useGeneric ? SW_SHOW : SW_HIDE);
    for (const int id : settingsControls)
        ::ShowWindow(item(id), useGeneric ? SW_HIDE : SW_SHOW);
}

void CPadViewDlg::SetFolder(const std::wstring& folder) {
    ::SetDlgItemTextW(hwnd(), IDC_FOLDER, folder.c_str());
}

void CPadViewDlg::SetSizeIndex(std::size_t index) {
    size_ = showRow(item(IDC_SIZE_LIST), SizeOptions, index);
}

void CPadViewDlg::SetBorderIndex(std::size_t index) {
    border_ = showRow(item(IDC_BORDER_LIST), BorderOptions, index);
}

void CPadViewDlg::SetPositionIndex(std::size_t index) {
    position_ = showRow(item(IDC_POSITION_LIST), PositionOptions, index);
}

bool CPadViewDlg::handleMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) {
    if (message != WM_INITDIALOG)
        return false;
    useGeneric_ = item(IDC_USE_GENERIC);
    initPage();
    ShowPreview(size_, border_, position_);
    result = TRUE;
    return true;
}

} // namespace Korva::QELD
