#include "console_session.h"

#include "service_program.h"

#include <chrono>
#include <stdexcept>

ConsoleSession::ConsoleSession() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    Korva::Win32::unique_kernel_handle childIn, childOut;
    ::CreatePipe(childIn.put(), input_.put(), &inherit, 0);
    ::CreatePipe(output_.put(), childOut.put(), &inherit, 0);
    ::SetHandleInformation(input_.get(), HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(output_.get(), HANDLE_FLAG_INHERIT, 0);
    process_ = Korva::QELD::Test::startProcess(serviceProgram(), {childIn.get(), childOut.get()});
    reader_ = std::thread(&ConsoleSession::read, this);
}

ConsoleSession::~ConsoleSession() {
    if (::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        input_.reset();
        if (::WaitForSingleObject(process_.get(), 20000) != WAIT_OBJECT_0)
            ::TerminateProcess(process_.get(), 0xDEAD);
    }
    reader_.join();
}

void ConsoleSession::read() {
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(output_.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        std::lock_guard lock(mutex_);
        for (DWORD i = 0; i < read; ++i) {
            if (buffer[i] != '\r')
                text_ += buffer[i];
        }
        arrived_.notify_all();
    }
}

void ConsoleSession::send(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    ::WriteFile(input_.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool ConsoleSession::waitFor(const std::string& text, DWORD timeout, std::size_t offset) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::milliseconds(timeout),
                             [&] { return text_.find(text, offset) != std::string::npos; });
}

std::size_t ConsoleSession::count(const std::string& text) {
    std::lock_guard lock(mutex_);
    std::size_t found = 0;
    for (auto at = text_.find(text); at != std::string::npos; at = text_.find(text, at + 1))
        ++found;
    return found;
}

std::string ConsoleSession::output() {
    std::lock_guard lock(mutex_);
    return text_;
}

std::uint64_t ConsoleSession::cpuMilliseconds() {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process_.get(), &created, &exited, &kernel, &user))
        return 0;
    const auto ticks = [](const FILETIME& t) {
        return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
    };
    return (ticks(kernel) + ticks(user)) / 10000;
}

DWORD ConsoleSession::quit() {
    send("q");
    input_.reset();
    DWORD code = 0xFFFFFFFF;
    if (::WaitForSingleObject(process_.get(), 30000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process_.get(), &code);
    return code;
}
