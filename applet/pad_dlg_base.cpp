#include "applet/pad_dlg_base.h"

#include "applet/module.h"
#include "applet/core/resource.h"
#include "applet/settings_store.h"

#include <commctrl.h>
#include <uxtheme.h>

namespace Korva::QELD {

namespace {

constexpr int previewPixels = 96;

} // namespace

CPadDlgBase::CPadDlgBase(const PageRow& row, UINT templateId)
    : Dialog(templateId), modelKey_(row.modelKey != nullptr ? row.modelKey : L""),
      previewFirstId_(row.previewFirstId), autoBorder_(row.autoBorder),
      offersGeneric_(row.modelKey != nullptr) {}

void CPadDlgBase::ShowPreview(std::int32_t size, std::int32_t border, std::int32_t position) {
    showPreviewKey(viewPreviewKey(size, border, position, autoBorder_));
}

void CPadDlgBase::initPage() {
    setItemTexts(hwnd(), {
                             {IDC_USE_GENERIC, IDS_USE_GENERIC},
                             {IDC_FOLDER_LABEL, IDS_FOLDER},
                             {IDC_LAYOUT_GROUP, IDS_LAYOUT},
                             {IDC_SIZE_LABEL, IDS_SIZE},
                             {IDC_BORDER_LABEL, IDS_BORDER},
                             {IDC_POSITION_LABEL, IDS_POSITION},
                         });
    placeOnTabControl();
    preview_ = item(IDC_PREVIEW);
    loadPreviews();
    LoadPageSettings(*this);
}

// The page is a child of the main dialog lying over the tab control's display
// area, as property sheets do: the dialog manager then takes Tab, Shift+Tab and
// the arrow keys through the page's controls in their place between the tab
// strip and the controls below it.
void CPadDlgBase::placeOnTabControl() {
    const HWND mainDialog = ::GetParent(hwnd());
    const HWND tab = ::GetDlgItem(mainDialog, IDC_TABS);
    RECT area{};
    ::GetClientRect(tab, &area);
    ::SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    ::MapWindowPoints(tab, mainDialog, reinterpret_cast<POINT*>(&area), 2);
    ::SetWindowPos(hwnd(), tab, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   SWP_NOACTIVATE | SWP_HIDEWINDOW);
    // Lying over the tab's body, the page draws that body's themed texture.
    ::EnableThemeDialogTexture(hwnd(), ETDT_ENABLETAB);
}

void CPadDlgBase::loadPreviews() {
    const auto keys = previewSetKeys();
    for (int offset = 0; offset < previewSetSize; ++offset)
        previews_[keys[offset]] =
            loadAppletIcon(previewFirstId_ + offset, previewPixels, previewPixels);
}

void CPadDlgBase::showPreviewKey(const PreviewKey& key) {
    const HICON icon = previews_[key].get();
    ::SendMessageW(preview_, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

} // namespace Korva::QELD
