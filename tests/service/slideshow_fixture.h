#pragma once

#include "service_program.h"
#include "console_session.h"
#include "picture_files.h"
#include "slideshow/picture/render_image.h"
#include "tablet/discovery.h"
#include "tests/support/virtual_tablets.h"
#include "tests/support/eventually.h"
#include "tools/vtablet/model/pixel_decode.h"
#include <gtest/gtest.h>
#include <objbase.h>
#include <algorithm>
#include <functional>

namespace SlideshowTest {

using namespace Korva::QELD;
using Korva::QELD::Test::VirtualTablets;

inline const wchar_t* const parameters =
    L"SYSTEM\\CurrentControlSet\\services\\QELDSVC\\Parameters";

struct Tablet {
    int slot;
    ScreenFormat format;
};

// The slideshow end to end: the real program in console mode, virtual
// tablets under Wine's HID stack, pictures in a folder of the test's own.
class Slideshow : public ::testing::Test {
protected:
    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        useWinusbDouble();
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder_ =
            std::wstring(temp) + L"qeld-slideshow-" + std::to_wstring(::GetCurrentProcessId());
        removeFolder();
        ::CreateDirectoryW(folder_.c_str(), nullptr);
        deleteParametersKey();
        setText(nullptr, L"Folder", folder_);
        setDword(nullptr, L"Update Time", 2000);
    }
    void TearDown() override {
        session_.reset();
        deleteParametersKey();
        removeFolder();
        ::CoUninitialize();
    }

    // The program finds the WinUSB test double next to it; Wine loads it
    // instead of its own stubs when the program's overrides say so.
    static void useWinusbDouble() {
        ::RegSetKeyValueW(HKEY_CURRENT_USER,
                          L"Software\\Wine\\AppDefaults\\qeldsvc.exe\\DllOverrides", L"winusb",
                          REG_SZ, L"native", sizeof L"native");
    }

    void removeFolder() {
        WIN32_FIND_DATAW found;
        const HANDLE find = ::FindFirstFileW((folder_ + L"\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do
                ::DeleteFileW((folder_ + L"\\" + found.cFileName).c_str());
            while (::FindNextFileW(find, &found));
            ::FindClose(find);
        }
        ::RemoveDirectoryW(folder_.c_str());
    }
    std::wstring picture(const wchar_t* name) const { return folder_ + L"\\" + name; }

    static void setDword(const wchar_t* subkey, const wchar_t* name, DWORD value) {
        const std::wstring key = subkey ? std::wstring(parameters) + L"\\" + subkey : parameters;
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_DWORD, &value, sizeof value);
    }
    static void setText(const wchar_t* subkey, const wchar_t* name, const std::wstring& text) {
        const std::wstring key = subkey ? std::wstring(parameters) + L"\\" + subkey : parameters;
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_SZ, text.c_str(),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

    // Plugs a tablet and waits until the system lists it, so that the
    // program finds it at start rather than through a later notification.
    Tablet plug(const std::string& arguments, ScreenFormat format) {
        const Tablet tablet{tablets_.plug(arguments), format};
        ++plugged_;
        if (arguments.find("--bulk") != std::string::npos)
            ++bulk_;
        EXPECT_TRUE(Korva::QELD::Test::eventually("the system to list the tablet " + arguments,
                                                  [&] { return listed(); }));
        return tablet;
    }
    bool listed() const {
        const auto tablets = Korva::QEL::listTablets();
        const auto withBulk = std::count_if(tablets.begin(), tablets.end(),
                                            [](const auto& t) { return !t.bulkPath.empty(); });
        return tablets.size() == plugged_ && withBulk == bulk_;
    }

    // What the tablet's screen shows when it shows this picture.
    static std::vector<std::uint8_t> expected(const std::wstring& path, const Tablet& tablet,
                                              const DeviceConfig& config = {}) {
        const std::u16string file(path.begin(), path.end());
        const auto bytes =
            renderImage(file, imageParametersOf(tablet.format, layoutSettingsOf(config)));
        std::vector<std::uint8_t> rgb(size_t{tablet.format.width} * tablet.format.height * 3);
        Korva::VTablet::decodeImage(tablet.format.encodingMode, bytes.data(), tablet.format.width,
                                    tablet.format.height, rgb.data());
        return rgb;
    }

    // Polls the screen until it shows what is wanted. A bound of the test's
    // own is a time the product promises (within a tick, within an interval).
    bool shows(const Tablet& tablet, const std::vector<std::uint8_t>& wanted,
               std::chrono::milliseconds bound = Korva::QELD::Test::waitBound) {
        std::vector<std::uint8_t> screen;
        const auto shown = Korva::QELD::Test::eventuallyWithin(
            bound, "the picture on tablet " + std::to_string(tablet.slot), [&] {
                screen = tablets_.screen(tablet.slot);
                return screen == wanted;
            });
        if (shown)
            return true;
        const auto differ =
            std::mismatch(screen.begin(), screen.end(), wanted.begin(), wanted.end());
        ADD_FAILURE() << shown.message() << "\n"
                      << "screen of " << screen.size() << " bytes, wanted " << wanted.size()
                      << "; first difference at " << (differ.first - screen.begin()) << ": "
                      << (differ.first != screen.end() ? int(*differ.first) : -1) << " against "
                      << (differ.second != wanted.end() ? int(*differ.second) : -1) << "\n"
                      << tablets_.run("status " + std::to_string(tablet.slot))
                      << tablets_.run("log " + std::to_string(tablet.slot));
        return false;
    }

    // A number of the tablet's "status" lines, -1 when it has none.
    long tabletValue(const Tablet& tablet, const std::string& key) {
        const std::string status = tablets_.run("status " + std::to_string(tablet.slot));
        const auto at = status.find("\n" + key + "=");
        return at == std::string::npos ? -1 : std::stol(status.substr(at + key.size() + 2));
    }

    bool blank(const Tablet& tablet) {
        return tablets_.screen(tablet.slot) ==
               std::vector<std::uint8_t>(size_t{tablet.format.width} * tablet.format.height * 3);
    }

    ConsoleSession& start() {
        session_ = std::make_unique<ConsoleSession>();
        EXPECT_TRUE(session_->waitFor("console commands:"));
        return *session_;
    }

    VirtualTablets tablets_;
    std::size_t plugged_ = 0;
    std::ptrdiff_t bulk_ = 0;
    std::wstring folder_;
    std::unique_ptr<ConsoleSession> session_;
};

inline const ScreenFormat mono{0x00, 396, 100};
inline const ScreenFormat rgb565{0x02, 320, 200};
inline const ScreenFormat bgrBulk{0x14, 640, 480};

} // namespace SlideshowTest
