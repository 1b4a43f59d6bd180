#pragma once

#include "common/unique_handle.h"

#include <windows.h>

#include <string>

namespace Korva::QELD::Test {

// What a finished child left: its exit code (0xFFFFFFFF if it never ran) and
// its standard output and error, with "\r\n" turned into "\n".
struct ProcessResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};

// The standard handles a child inherits; null ones are not redirected.
struct StandardHandles {
    HANDLE input = nullptr;
    HANDLE output = nullptr;
};

// Starts a program and owns its process handle; throws std::runtime_error
// naming the command line when it cannot start. Given a job, the program
// runs in it from its first instruction, and so does every process it
// starts.
Win32::unique_kernel_handle startProcess(std::wstring commandLine,
                                         const StandardHandles& handles = {}, DWORD flags = 0,
                                         HANDLE job = nullptr);

// Waits for the process to end, ends it after the timeout, and returns its
// exit code.
DWORD waitForExit(HANDLE process, DWORD timeout);

// Runs a program with the given standard input through pipes and collects
// its output; gives up after the timeout.
ProcessResult runProcess(const std::wstring& commandLine, const std::string& input = {},
                         DWORD timeout = 30000);

// Runs a program whose output goes through a file, never a pipe: a child
// that starts services passes its handles on, and they would keep a pipe
// open long after the child ended.
ProcessResult runProcessWithOutputFile(const std::wstring& commandLine, DWORD timeout = 30000);

// The text with every "\r" taken out.
std::string withoutCarriageReturns(const std::string& text);

} // namespace Korva::QELD::Test
