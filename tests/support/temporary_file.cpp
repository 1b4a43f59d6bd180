#include "tests/support/temporary_file.h"

#include <windows.h>

#include <atomic>
#include <fstream>
#include <sstream>

namespace Korva::QELD::Test {

TemporaryFile::TemporaryFile(const std::wstring& stem, const std::wstring& extension) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    // A fresh prefix may not have made its temporary folder yet.
    ::CreateDirectoryW(folder, nullptr);
    static std::atomic<unsigned> files{0};
    path_ = std::wstring(folder) + stem + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(++files) + extension;
}

TemporaryFile::~TemporaryFile() {
    ::DeleteFileW(path_.c_str());
}

std::string TemporaryFile::read() const {
    std::ifstream file(path_.c_str(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace Korva::QELD::Test
