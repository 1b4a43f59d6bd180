#include "tests/applet/gui_support.h"

#include "common/unique_handle.h"
#include "tests/support/eventually.h"
#include "tests/support/unix_shell.h"
#include "tests/support/wine_paths.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>

namespace Korva::QELD::Test {

namespace {

thread_local const std::function<void()>* pendingScript = nullptr;
thread_local Dialog* scriptedDialog = nullptr;

// Runs the script once the modal loop has shown the dialog.
void CALLBACK runScript(HWND, UINT, UINT_PTR timer, DWORD) {
    if (scriptedDialog->hwnd() == nullptr || !::IsWindowVisible(scriptedDialog->hwnd()))
        return;
    ::KillTimer(nullptr, timer);
    const auto* script = std::exchange(pendingScript, nullptr);
    if (script != nullptr)
        (*script)();
}

// Only a box of this process: a test running beside this one may show an
// unowned dialog of its own, and closing it would break both tests.
BOOL CALLBACK findBox(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<std::pair<HWND, HWND>*>(data);
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId() && std::wstring_view(className) == L"#32770" &&
        ::GetWindow(window, GW_OWNER) == found->first && ::IsWindowVisible(window)) {
        found->second = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

INT_PTR runDialog(Dialog& dialog, const std::function<void()>& script) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&controls);
    pendingScript = &script;
    scriptedDialog = &dialog;
    ::SetTimer(nullptr, 0, 10, runScript);
    const INT_PTR result = dialog.runModal(nullptr);
    pendingScript = nullptr;
    return result;
}

void notify(HWND control, int code) {
    ::SendMessageW(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), code),
                   reinterpret_cast<LPARAM>(control));
}

void choose(HWND list, int row) {
    ::SendMessageW(list, CB_SETCURSEL, row, 0);
    notify(list, CBN_SELCHANGE);
}

void click(HWND box) {
    const auto checked = ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    ::SendMessageW(box, BM_SETCHECK, checked ? BST_UNCHECKED : BST_CHECKED, 0);
    notify(box, BN_CLICKED);
}

std::wstring windowText(HWND window) {
    std::wstring text(::GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(::GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
    return text;
}

int selectedRow(HWND list) {
    return static_cast<int>(::SendMessageW(list, CB_GETCURSEL, 0, 0));
}

MessageBoxCatcher::MessageBoxCatcher(HWND owner) : owner_(owner) {
    thread_ = std::thread([this] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!stop_ && std::chrono::steady_clock::now() < deadline) {
            std::pair<HWND, HWND> found{owner_, nullptr};
            ::EnumWindows(findBox, reinterpret_cast<LPARAM>(&found));
            if (found.second != nullptr) {
                text_ = windowText(::GetDlgItem(found.second, 0xFFFF));
                ::PostMessageW(found.second, WM_COMMAND, IDOK, 0);
                return;
            }
            ::Sleep(20);
        }
    });
}

MessageBoxCatcher::~MessageBoxCatcher() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

std::wstring MessageBoxCatcher::text() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    return text_;
}

std::vector<std::uint32_t> iconPixels(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !::GetIconInfo(icon, &info))
        return {};
    BITMAP bitmap{};
    ::GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = bitmap.bmWidth;
    format.bmiHeader.biHeight = -bitmap.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bitmap.bmWidth) * bitmap.bmHeight);
    const HDC screen = ::GetDC(nullptr);
    ::GetDIBits(screen, info.hbmColor, 0, bitmap.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return pixels;
}

testing::AssertionResult saveScreenshot(const std::string& name) {
    // The windows have painted once nothing is left in the queue to paint.
    const auto painted = eventually("the windows to finish painting", [] {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::GdiFlush();
        return ::GetQueueStatus(QS_ALLINPUT) == 0;
    });
    if (!painted)
        return painted;
    // Written under another name and then renamed, so that a picture of that
    // name is always whole.
    const std::filesystem::path folder = windowsPath(std::wstring_view(QELD_SCREENSHOT_DIR));
    if (!runUnix(folder, "/usr/bin/import -window root '" + name + ".tmp.png' && mv '" + name +
                             ".tmp.png' '" + name + ".png'"))
        return testing::AssertionFailure() << "the screenshot " << name << " was not written";
    return testing::AssertionSuccess();
}

} // namespace Korva::QELD::Test
