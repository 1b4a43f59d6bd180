#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace Korva::QELD::Test {

// A file server on this machine for one test: a FUSE file system
// (test_share.py) over a backing folder in the build folder, reached as
// "\\fileserver\<name>\" through Wine's UNC folder. The test writes the
// share's files into the backing folder, behind the server, which raises no
// change notification, and switches the server's faults. Started by the
// constructor, unmounted and ended (by its own process id) by the
// destructor; throws std::runtime_error when it cannot start.
class TestShare {
public:
    explicit TestShare(const std::wstring& name);
    ~TestShare();
    TestShare(const TestShare&) = delete;
    TestShare& operator=(const TestShare&) = delete;

    // "\\fileserver\<name>\"
    std::wstring folder() const;
    // The backing folder, as Windows sees it.
    std::wstring backing(const std::wstring& file = {}) const;

    // Every call waits this long first.
    void setLatency(std::chrono::milliseconds latency);
    // Every call waits until release (a server that stopped answering).
    void hold();
    void release();
    // Whether a call has come and waits on hold since the last release.
    bool holdsACall() const;
    // Every call fails (a server that is gone) until recover.
    void fail();
    void recover();

private:
    void control(const std::string& command);

    std::wstring name_;
    std::filesystem::path root_;
};

} // namespace Korva::QELD::Test
