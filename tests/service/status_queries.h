#pragma once

#include "service_program.h"
#include "tests/support/eventually.h"

#include <functional>
#include <string>

// The running slideshow's own account of itself, through "qeldsvc /status":
// what a test waits for when the tablets alone cannot show it.
namespace SlideshowTest {

inline Korva::QELD::Test::ProcessResult queryStatus() {
    return runProcess(serviceProgram() + L" /status");
}

// The lines of one tablet's entry, from its "tablet:" line to the next.
inline std::string tabletEntry(const std::string& status, const std::string& model) {
    const auto start = status.find("tablet: " + model);
    if (start == std::string::npos)
        return {};
    return status.substr(start, status.find("\ntablet: ", start) - start);
}

// Queries the status until it is as wanted and gives the last answer; a
// status that never comes fails the test, naming what it waited for.
inline std::string statusWhen(const std::string& what,
                              const std::function<bool(const std::string&)>& wanted) {
    std::string status;
    EXPECT_TRUE(Korva::QELD::Test::eventually("the status to show " + what, [&] {
        status = queryStatus().output;
        return wanted(status);
    })) << status;
    return status;
}

inline std::string statusWith(const std::string& text) {
    return statusWhen(text,
                      [&](const std::string& s) { return s.find(text) != std::string::npos; });
}

} // namespace SlideshowTest
