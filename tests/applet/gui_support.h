#pragma once

#include "applet/dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace Korva::QELD::Test {

// Runs a dialog modally and, from inside its message loop, the script, which
// drives the dialog by messages and ends it. Returns the modal result.
INT_PTR runDialog(Dialog& dialog, const std::function<void()>& script);

// Sends a control's notification to its parent as a click or a change would.
void notify(HWND control, int code);
// Selects a row of a drop-down list as the user would.
void choose(HWND list, int row);
// Ticks or unticks a check box as a click would.
void click(HWND box);
std::wstring windowText(HWND window);
int selectedRow(HWND list);

// Closes the next message box that a window of this thread owns, from another
// thread, and keeps its text.
class MessageBoxCatcher {
public:
    explicit MessageBoxCatcher(HWND owner);
    ~MessageBoxCatcher();
    // The text of the box; empty when none appeared.
    std::wstring text();

private:
    HWND owner_;
    std::atomic<bool> stop_{false};
    std::wstring text_;
    std::thread thread_;
};

// The pixels of an icon as 32-bit rows, to compare pictures.
std::vector<std::uint32_t> iconPixels(HICON icon);

// Saves a picture of the whole display as screenshots/<name>.png in the
// build folder once the windows have painted; a failure says which step
// failed.
testing::AssertionResult saveScreenshot(const std::string& name);

} // namespace Korva::QELD::Test
