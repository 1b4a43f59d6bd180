#pragma once

#include "applet/main_dlg_base.h"
#include "applet/pad_view_dlg.h"

namespace Korva::QELD {

// The read-only main dialog: the interval as text, "Slideshow disabled" while
// the service does not run, and "Change", which starts the launcher again
// with elevation.
class CViewDlg : public CMainDlgBase<CPadViewDlg> {
public:
    CViewDlg();

    void SetUpdateTime(unsigned seconds) override;

protected:
    bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void onInitDialog();
    void relaunchElevated();
};

} // namespace Korva::QELD
