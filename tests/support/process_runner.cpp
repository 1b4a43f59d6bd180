#include "tests/support/process_runner.h"

#include "tests/support/temporary_file.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace Korva::QELD::Test {

using Win32::unique_kernel_handle;

unique_kernel_handle startProcess(std::wstring commandLine, const StandardHandles& handles,
                                  DWORD flags, HANDLE job) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const bool redirect = handles.input != nullptr || handles.output != nullptr;
    if (redirect) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = handles.input;
        startup.hStdOutput = handles.output;
        startup.hStdError = handles.output;
    }
    if (job != nullptr)
        flags |= CREATE_SUSPENDED;
    const std::string line(commandLine.begin(), commandLine.end());
    // Wine on a loaded machine now and then fails a start with
    // ERROR_INTERNAL_ERROR (1359) that succeeds when tried again a moment
    // later: only that error is tried again, a few times.
    constexpr int startAttempts = 3;
    PROCESS_INFORMATION info{};
    for (int attempt = 1; !::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, redirect,
                                            flags, nullptr, nullptr, &startup, &info);
         ++attempt) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == startAttempts)
            throw std::runtime_error("CreateProcessW failed with error " + std::to_string(error) +
                                     " for " + line);
        ::Sleep(200);
    }
    // Wine starts a Linux program without a Windows process: it gives no
    // process handle, and what it leaves in hThread is no handle either but
    // a stray value that may equal a handle this process holds, so neither
    // is owned.
    if (info.hProcess == nullptr)
        return {};
    const unique_kernel_handle thread(info.hThread);
    unique_kernel_handle process(info.hProcess);
    if (job != nullptr) {
        if (!::AssignProcessToJobObject(job, process.get())) {
            ::TerminateProcess(process.get(), 0xDEAD);
            throw std::runtime_error("AssignProcessToJobObject failed with error " +
                                     std::to_string(::GetLastError()) + " for " + line);
        }
        ::ResumeThread(thread.get());
    }
    return process;
}

DWORD waitForExit(HANDLE process, DWORD timeout) {
    if (::WaitForSingleObject(process, timeout) != WAIT_OBJECT_0) {
        ::TerminateProcess(process, 0xDEAD);
        ::WaitForSingleObject(process, 5000);
    }
    DWORD code = 0xFFFFFFFF;
    ::GetExitCodeProcess(process, &code);
    return code;
}

ProcessResult runProcess(const std::wstring& commandLine, const std::string& input, DWORD timeout) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    unique_kernel_handle inRead, inWrite, outRead, outWrite;
    ::CreatePipe(inRead.put(), inWrite.put(), &inherit, 0);
    ::CreatePipe(outRead.put(), outWrite.put(), &inherit, 0);
    ::SetHandleInformation(inWrite.get(), HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(outRead.get(), HANDLE_FLAG_INHERIT, 0);
    const auto process = startProcess(commandLine, {inRead.get(), outWrite.get()});
    inRead.reset();
    outWrite.reset();
    ProcessResult result;
    std::thread reader([&] {
        char buffer[4096];
        DWORD read = 0;
        while (::ReadFile(outRead.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
            result.output.append(buffer, read);
    });
    DWORD written = 0;
    if (!input.empty())
        ::WriteFile(inWrite.get(), input.data(), static_cast<DWORD>(input.size()), &written,
                    nullptr);
    inWrite.reset();
    result.exitCode = waitForExit(process.get(), timeout);
    reader.join();
    result.output = withoutCarriageReturns(result.output);
    return result;
}

ProcessResult runProcessWithOutputFile(const std::wstring& commandLine, DWORD timeout) {
    const TemporaryFile output(L"qeld-output", L".txt");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    Win32::unique_file file(::CreateFileW(output.path().c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                          &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const std::string path(output.path().begin(), output.path().end());
        throw std::runtime_error("CreateFileW failed with error " +
                                 std::to_string(::GetLastError()) + " for " + path);
    }
    const auto process = startProcess(commandLine, {nullptr, file.get()});
    file.reset();
    ProcessResult result;
    result.exitCode = waitForExit(process.get(), timeout);
    result.output = withoutCarriageReturns(output.read());
    return result;
}

std::string withoutCarriageReturns(const std::string& text) {
    std::string result = text;
    result.erase(std::remove(result.begin(), result.end(), '\r'), result.end());
    return result;
}

} // namespace Korva::QELD::Test
