#pragma once

#include "common/unique_handle.h"

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// The service program in console mode as a child process: commands go to
// its standard input, its output is collected as it arrives.
class ConsoleSession {
public:
    ConsoleSession();
    ~ConsoleSession();

    void send(const std::string& line);

    // Waits until the output holds text (counting from offset); false after
    // the time-out. Generous time-outs: these check what happens, not when.
    bool waitFor(const std::string& text, DWORD timeout = 20000, std::size_t offset = 0);

    // Times text occurs in the output so far.
    std::size_t count(const std::string& text);

    std::string output();

    // Sends "q" and returns the exit code.
    DWORD quit();

    // Processor time the program has used so far, user and kernel.
    std::uint64_t cpuMilliseconds();

private:
    void read();

    Korva::Win32::unique_kernel_handle process_;
    Korva::Win32::unique_kernel_handle input_;
    Korva::Win32::unique_kernel_handle output_;
    std::thread reader_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::string text_;
};
