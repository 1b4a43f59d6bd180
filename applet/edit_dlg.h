#pragma once

#include "applet/main_dlg_base.h"
#include "applet/pad_edit_dlg.h"

namespace Korva::QELD {

// The editable main dialog: interval spin, "Disable slideshow", OK, Close
// and Apply.
class CEditDlg : public CMainDlgBase<CPadEditDlg> {
public:
    CEditDlg();

    void SetUpdateTime(unsigned seconds) override;

    HWND spinControl() const noexcept { return spin_; }
    HWND disableBox() const noexcept { return disable_; }

protected:
    bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void onInitDialog();
    void onCommand(int id, int code);
    void onIntervalChanged();

    HWND interval_ = nullptr;
    HWND spin_ = nullptr;
    HWND apply_ = nullptr;
    HWND disable_ = nullptr;
};

} // namespace Korva::QELD
