#pragma once

#include <windows.h>

#include <string>

struct ChildResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};

// Runs a program with the given standard input and collects its standard
// output; gives up after the timeout.
ChildResult runChild(const std::wstring& commandLine, const std::string& input = {},
                     DWORD timeout = 30000);

// The program under test as a Windows path.
std::wstring serviceProgram();

// Deletes the product's Parameters key with everything below it.
void deleteParameters();
