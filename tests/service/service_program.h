#pragma once

#include "tests/support/parameters_key.h"
#include "tests/support/process_runner.h"
#include "tests/support/wine_paths.h"

#include <string>

// The service program of the build, quoted, as the start of a command line.
inline std::wstring serviceProgram() {
    return L"\"" + Korva::QELD::Test::windowsPath(std::string_view(QELDSVC_EXE)) + L"\"";
}

using Korva::QELD::Test::deleteParametersKey;
using Korva::QELD::Test::runProcess;
