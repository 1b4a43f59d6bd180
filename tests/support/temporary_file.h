#pragma once

#include <string>

namespace Korva::QELD::Test {

// A file name in the temporary folder that no other call, test or earlier
// process has used: Wine reuses process ids, and driver services started by
// a child may still hold an older file open. The file is deleted with the
// object.
class TemporaryFile {
public:
    TemporaryFile(const std::wstring& stem, const std::wstring& extension);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::wstring& path() const { return path_; }
    // The whole content; empty if the file does not exist.
    std::string read() const;

private:
    std::wstring path_;
};

} // namespace Korva::QELD::Test
