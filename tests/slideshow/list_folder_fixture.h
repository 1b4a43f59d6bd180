#pragma once

#include "common/event_log.h"
#include "slideshow/core/image_entry.h"
#include "tests/support/eventually.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace Korva::QELD::Test {

// Records every report, for tests to look at.
class RecordingSink : public EventSink {
public:
    void deliver(const EventReport& report) noexcept override {
        const std::lock_guard lock(mutex_);
        reports_.push_back(report);
    }
    std::vector<EventReport> reports() {
        const std::lock_guard lock(mutex_);
        return reports_;
    }

private:
    std::mutex mutex_;
    std::vector<EventReport> reports_;
};

using Test::eventually;

bool signalledWithin(HANDLE event, std::chrono::milliseconds timeout = Test::waitBound);

// A fresh folder under the temporary folder of the Wine prefix, removed with
// everything in it at the end of each test.
class ListFolderTest : public ::testing::Test {
protected:
    ListFolderTest();
    ~ListFolderTest() override;

    // The folder as the settings give it: ending with a backslash.
    std::u16string folderSetting() const;
    void write(const std::wstring& name, const std::string& contents);
    void append(const std::wstring& name, const std::string& contents);
    void rename(const std::wstring& from, const std::wstring& to);
    void remove(const std::wstring& name);
    std::u16string entry(const std::wstring& name) const;

    // A renderer whose prepared image is the file's contents at the time of
    // rendering, and which counts its calls.
    ImageRenderer contentsRenderer();
    int renders() const { return renders_; }

    std::filesystem::path folder_;
    PreparedImages images_;
    RecordingSink sink_;
    EventLog eventLog_{{}, &sink_};

private:
    std::atomic<int> renders_{0};
};

} // namespace Korva::QELD::Test
