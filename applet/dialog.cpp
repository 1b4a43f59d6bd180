#include "applet/dialog.h"

#include "applet/module.h"

namespace Korva::QELD {

Dialog::~Dialog() {
    // A modeless child still alive belongs to no other owner.
    if (hwnd_ != nullptr)
        ::DestroyWindow(hwnd_);
}

INT_PTR Dialog::runModal(HWND owner) {
    return ::DialogBoxParamW(moduleInstance(), MAKEINTRESOURCEW(templateId_), owner, dialogProc,
                             reinterpret_cast<LPARAM>(this));
}

HWND Dialog::create(HWND parent) {
    return ::CreateDialogParamW(moduleInstance(), MAKEINTRESOURCEW(templateId_), parent, dialogProc,
                                reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Dialog::dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
    }
    if (self == nullptr)
        return FALSE;
    INT_PTR result = FALSE;
    const bool handled = self->handleMessage(message, wParam, lParam, result);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    if (!handled)
        return FALSE;
    // Results of ordinary messages travel in DWLP_MSGRESULT; the few messages
    // that return their value directly are handled by their own code.
    if (message == WM_INITDIALOG)
        return result;
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

} // namespace Korva::QELD
