#pragma once

#include <windows.h>

namespace Korva::QELD {

// The small dialog layer of the applet: a dialog object made from a template
// of the applet's module, run modally or created as a modeless child, whose
// messages reach the object's handleMessage.
class Dialog {
public:
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    // Runs the dialog modally; its result, or -1 when it cannot be created.
    INT_PTR runModal(HWND owner);
    // Creates the dialog as a modeless window; null on failure.
    HWND create(HWND parent);

    HWND hwnd() const noexcept { return hwnd_; }
    HWND item(int id) const noexcept { return ::GetDlgItem(hwnd_, id); }
    UINT templateId() const noexcept { return templateId_; }

protected:
    explicit Dialog(UINT templateId) noexcept : templateId_(templateId) {}

    // Handles one message; returns true and sets the dialog procedure's result
    // when the message was handled.
    virtual bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) = 0;

    void endDialog(INT_PTR result) noexcept { ::EndDialog(hwnd_, result); }

private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND hwnd_ = nullptr;
};

} // namespace Korva::QELD
