#pragma once

#include "applet/dialog.h"
#include "applet/icon_handle.h"

namespace Korva::QELD {

struct hook_traits {
    using pointer = HHOOK;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::UnhookWindowsHookEx(h); }
};

using unique_hook = Korva::Win32::unique_handle<hook_traits>;

// What the window-state operations need of a main dialog, whichever pages it
// holds: its tab control and a way to show the page of a tab.
class MainDialog : public Dialog {
public:
    HWND tabControl() const noexcept { return tab_; }
    virtual int pageCount() const noexcept = 0;
    virtual void showPage(int index, bool show) = 0;
    // Selects the next tab, or the previous one for a step of -1, shows its
    // page and puts the focus on the tab strip: Ctrl+Tab and Ctrl+Shift+Tab.
    void switchPage(int step);

protected:
    using Dialog::Dialog;

    // The creation steps that do not depend on the pages: the icons, the
    // themed background, the tab control and the keys that switch pages.
    void initFrame();
    // Tab switching, Close and the window's end, common to both variants.
    bool handleFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

private:
    HWND tab_ = nullptr;
    unique_icon largeIcon_;
    unique_icon smallIcon_;
    unique_hook pageKeys_;
};

} // namespace Korva::QELD
