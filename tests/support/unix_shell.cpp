#include "tests/support/unix_shell.h"

#include "tests/support/process_runner.h"
#include "tests/support/wine_paths.h"

#include <chrono>
#include <fstream>
#include <thread>

namespace Korva::QELD::Test {

// Wine starts Linux programs but gives no waitable process for them, so the
// shell leaves its exit status in a file that is polled for.
bool runUnix(const std::filesystem::path& folder, const std::string& command) {
    const std::filesystem::path status = folder / L"status.out";
    std::filesystem::remove(status);
    const std::string script = "cd '" + unixPath(folder) + "' && (" + command +
                               "); echo $? > status.tmp && mv status.tmp status.out";
    startProcess(L"/bin/sh -c \"" + std::wstring(script.begin(), script.end()) + L"\"");
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

} // namespace Korva::QELD::Test
