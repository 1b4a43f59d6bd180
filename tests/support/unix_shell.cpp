#include "tests/support/unix_shell.h"

#include "tests/support/eventually.h"
#include "tests/support/process_runner.h"
#include "tests/support/wine_paths.h"

#include <fstream>

namespace Korva::QELD::Test {

// Wine starts Linux programs but gives no waitable process for them, so the
// shell leaves its exit status in a file that is polled for.
bool runUnix(const std::filesystem::path& folder, const std::string& command) {
    const std::filesystem::path status = folder / L"status.out";
    std::filesystem::remove(status);
    const std::string script = "cd '" + unixPath(folder) + "' && (" + command +
                               "); echo $? > status.tmp && mv status.tmp status.out";
    startProcess(L"/bin/sh -c \"" + std::wstring(script.begin(), script.end()) + L"\"");
    const auto finished = eventually("the shell to finish " + command,
                                     [&] { return std::filesystem::exists(status); });
    if (!finished) {
        ADD_FAILURE() << finished.message();
        return false;
    }
    int code = -1;
    std::ifstream(status) >> code;
    std::filesystem::remove(status);
    return code == 0;
}

} // namespace Korva::QELD::Test
