#pragma once

#include "applet/dialog.h"
#include "applet/icon_handle.h"

namespace Korva::QELD {

// What the window-state operations need of a main dialog, whichever pages it
// holds: its tab control and a way to show the page of a tab.
class MainDialog : public Dialog {
public:
    HWND tabControl() const noexcept { return tab_; }
    virtual int pageCount() const noexcept = 0;
    virtual void showPage(int index, bool show) = 0;

protected:
    using Dialog::Dialog;

    // The creation steps that do not depend on the pages: the icons, the
    // themed background and the tab control.
    void initFrame();
    // Tab switching, Close and the window's end, common to both variants.
    bool handleFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

private:
    HWND tab_ = nullptr;
    unique_icon largeIcon_;
    unique_icon smallIcon_;
};

} // namespace Korva::QELD
