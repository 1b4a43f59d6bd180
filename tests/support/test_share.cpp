#include "tests/support/test_share.h"

#include "tests/support/unix_shell.h"
#include "tests/support/wine_paths.h"

#include <windows.h>

#include <cstdlib>
#include <stdexcept>

namespace Korva::QELD::Test {
namespace {

std::filesystem::path programFolder() {
    wchar_t path[MAX_PATH];
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

std::string narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// Wine reaches "\\server\share" through this folder of its prefix.
std::string uncLink(const std::wstring& name) {
    const char* const prefix = std::getenv("WINEPREFIX");
    if (prefix == nullptr)
        throw std::runtime_error("WINEPREFIX is not set");
    return std::string(prefix) + "/dosdevices/unc/fileserver/" + narrow(name);
}

} // namespace

// The mount is waited for, so that the first call of a test reaches the
// server rather than the empty mount point.
TestShare::TestShare(const std::wstring& name)
    : name_(name), root_(programFolder() /
                         (L"share-" + name + L"-" + std::to_wstring(::GetCurrentProcessId()))) {
    std::filesystem::remove_all(root_);
    for (const wchar_t* folder : {L"back", L"mnt", L"control"})
        std::filesystem::create_directories(root_ / folder);
    const std::string link = uncLink(name);
    // Wine hands the command to the shell in double quotes: it holds none.
    const std::string start = "mkdir -p '" + link.substr(0, link.rfind('/')) +
                              "' && ln -sfn $PWD/mnt '" + link +
                              "' && (setsid /usr/bin/python3 '" TEST_SHARE_SCRIPT
                              "' back mnt control </dev/null >share.log 2>&1 & echo $! >share.pid)"
                              " && for i in $(seq 100); do mountpoint -q mnt && exit 0; "
                              "sleep 0.05; done; exit 1";
    if (!runUnix(root_, start))
        throw std::runtime_error("the test share did not start: " + start);
}

// Faults are switched off first, so that calls still waiting on the server
// end; a lazy unmount then detaches it even while a program still has it
// open.
TestShare::~TestShare() {
    std::filesystem::remove(root_ / L"control" / L"hold");
    std::filesystem::remove(root_ / L"control" / L"fail");
    runUnix(root_, "fusermount3 -u -z mnt; kill $(cat share.pid); rm -f '" + uncLink(name_) + "'");
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::wstring TestShare::folder() const {
    return L"\\\\fileserver\\" + name_ + L"\\";
}

std::wstring TestShare::backing(const std::wstring& file) const {
    return (root_ / L"back" / file).wstring();
}

void TestShare::setLatency(std::chrono::milliseconds latency) {
    control("echo " + std::to_string(latency.count()) + " > latency.tmp && mv latency.tmp latency");
}

void TestShare::hold() {
    control("touch hold");
}

void TestShare::release() {
    control("rm -f hold held");
}

bool TestShare::holdsACall() const {
    return std::filesystem::exists(root_ / L"control" / L"held");
}

void TestShare::fail() {
    control("touch fail");
}

void TestShare::recover() {
    control("rm -f fail");
}

void TestShare::control(const std::string& command) {
    if (!runUnix(root_ / L"control", command))
        throw std::runtime_error("the test share's control failed: " + command);
}

} // namespace Korva::QELD::Test
