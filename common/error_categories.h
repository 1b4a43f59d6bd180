#pragma once

#include <windows.h>

#include <source_location>
#include <string>
#include <system_error>

namespace Korva::Win32 {

// Windows error values: GetLastError and registry results.
class win32api_error_category_impl : public std::error_category {
public:
    const char* name() const noexcept override { return "win32api"; }
    std::string message(int value) const override;
    std::error_condition default_error_condition(int value) const noexcept override;
    bool equivalent(int value, const std::error_condition& condition) const noexcept override;
};

// COM and shell results.
class HRESULT_error_category_impl : public std::error_category {
public:
    const char* name() const noexcept override { return "HRESULT"; }
    std::string message(int value) const override;
};

// Native status values, as HID parsing returns them.
class NTSTATUS_error_category_impl : public std::error_category {
public:
    const char* name() const noexcept override { return "NTSTATUS"; }
    std::string message(int value) const override;
};

// Configuration-manager results.
class CONFIGRET_error_category_impl : public std::error_category {
public:
    const char* name() const noexcept override { return "CONFIGRET"; }
    std::string message(int value) const override;
};

const std::error_category& win32api_category() noexcept;
const std::error_category& HRESULT_category() noexcept;
const std::error_category& NTSTATUS_category() noexcept;
const std::error_category& CONFIGRET_category() noexcept;

// Each throws std::system_error with the value in its category. The message
// begins with the failing function where the caller names it, and with the
// raising source file and line otherwise, so that every report names its site.
[[noreturn]] void throwWin32(DWORD value, const char* function = nullptr,
                             std::source_location site = std::source_location::current());
[[noreturn]] void throwHResult(HRESULT value, const char* function = nullptr,
                               std::source_location site = std::source_location::current());
[[noreturn]] void throwNtStatus(LONG value, const char* function = nullptr,
                                std::source_location site = std::source_location::current());
[[noreturn]] void throwConfigRet(DWORD value, const char* function = nullptr,
                                 std::source_location site = std::source_location::current());

// Raises a failure that an operation returned as an error code (a registry
// write, say), with the failing function's name as its message.
void throwIfFailed(const std::error_code& error, const char* function);

// throwWin32 with the calling thread's last error.
[[noreturn]] void throwLastError(const char* function = nullptr,
                                 std::source_location site = std::source_location::current());

} // namespace Korva::Win32
