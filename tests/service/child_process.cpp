#include "child_process.h"

#include "common/unique_handle.h"

#include <thread>

using Korva::Win32::unique_kernel_handle;

ChildResult runChild(const std::wstring& commandLine, const std::string& input, DWORD timeout) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    unique_kernel_handle inRead, inWrite, outRead, outWrite;
    ::CreatePipe(inRead.put(), inWrite.put(), &inherit, 0);
    ::CreatePipe(outRead.put(), outWrite.put(), &inherit, 0);
    ::SetHandleInformation(inWrite.get(), HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(outRead.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead.get();
    startup.hStdOutput = outWrite.get();
    startup.hStdError = outWrite.get();
    PROCESS_INFORMATION info{};
    std::wstring line = commandLine;
    ChildResult result;
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &info))
        return result;
    unique_kernel_handle process(info.hProcess), thread(info.hThread);
    inRead.reset();
    outWrite.reset();
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
    if (::WaitForSingleObject(process.get(), timeout) != WAIT_OBJECT_0)
        ::TerminateProcess(process.get(), 0xDEAD);
    ::GetExitCodeProcess(process.get(), &result.exitCode);
    reader.join();
    std::string text;
    for (char c : result.output) {
        if (c != '\r')
            text += c;
    }
    result.output = text;
    return result;
}

std::wstring serviceProgram() {
    std::string path = QELDSVC_EXE;
    std::wstring windows = L"Z:";
    for (char c : path)
        windows += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return L"\"" + windows + L"\"";
}

void deleteParameters() {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE,
                     L"SYSTEM\\CurrentControlSet\\services\\QELDSVC\\Parameters");
}
