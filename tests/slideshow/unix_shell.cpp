#include "tests/slideshow/unix_shell.h"

#include "common/unique_handle.h"

#include <windows.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace Korva::QELD::Testing {

std::string unixPath(const std::filesystem::path& folder) {
    using Convert = char*(CDECL*)(const wchar_t*);
    const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr)
        return {};
    char* const text = convert(folder.wstring().c_str());
    if (text == nullptr)
        return {};
    std::string result(text);
    ::HeapFree(::GetProcessHeap(), 0, text);
    return result;
}

// Wine starts Linux programs but gives no waitable process for them, so the
// shell leaves its exit status in a file that is polled for.
bool runUnix(const std::filesystem::path& folder, const std::string& command) {
    const std::filesystem::path status = folder / L"status.out";
    std::filesystem::remove(status);
    const std::string script = "cd '" + unixPath(folder) + "' && (" + command +
                               "); echo $? > status.tmp && mv status.tmp status.out";
    std::wstring line = L"/bin/sh -c \"" + std::wstring(script.begin(), script.end()) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return false;
    const Win32::unique_kernel_handle processHandle(process.hProcess);
    const Win32::unique_kernel_handle threadHandle(process.hThread);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!std::filesystem::exists(status)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    int code = -1;
    std::ifstream(status) >> code;
    std::filesystem::remove(status);
    return code == 0;
}

} // namespace Korva::QELD::Testing
