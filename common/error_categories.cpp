#include "common/error_categories.h"

#include "common/unique_handle.h"
#include "common/core/utf.h"
#include "common/core/win32_conditions.h"

#include <cstdio>

namespace Korva::Win32 {
namespace {

constexpr DWORD systemTextFlags = 0x13FF; // allocate, from system, no inserts, one line
constexpr DWORD moduleTextFlags = 0xBFF;  // allocate, from module, no inserts, one line

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    return text;
}

// Asks FormatMessageW for a text; the buffer is owned at once so that it is
// released whatever happens during conversion.
std::string wideMessage(DWORD flags, HMODULE module, DWORD value) {
    wchar_t* raw = nullptr;
    const DWORD length =
        ::FormatMessageW(flags, module, value, 0, reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
    unique_local_memory owner(raw);
    if (length == 0 || raw == nullptr)
        return {};
    return trimmed(utf8FromUtf16(std::u16string_view(reinterpret_cast<char16_t*>(raw), length)));
}

std::string moduleMessage(const wchar_t* module, const char* label, DWORD value) {
    const HMODULE handle = ::GetModuleHandleW(module);
    if (handle == nullptr)
        return {};
    std::string text = wideMessage(moduleTextFlags, handle, value);
    return text.empty() ? text : label + text;
}

} // namespace

std::string win32api_error_category_impl::message(int value) const {
    const auto v = static_cast<DWORD>(value);
    std::string text = wideMessage(systemTextFlags, nullptr, v);
    if (text.empty())
        text = moduleMessage(L"NTDLL.DLL", "[NTDLL]: ", v);
    if (text.empty())
        text = moduleMessage(L"WININET.DLL", "[WinInet]: ", v);
    return text.empty() ? std::to_string(v) : text;
}

std::error_condition
win32api_error_category_impl::default_error_condition(int value) const noexcept {
    if (const auto condition = win32GenericCondition(static_cast<std::uint32_t>(value)))
        return std::make_error_condition(*condition);
    return {value, *this};
}

bool win32api_error_category_impl::equivalent(
    int value, const std::error_condition& condition) const noexcept {
    if (condition.category() == std::generic_category())
        return win32Equivalent(static_cast<std::uint32_t>(value),
                               static_cast<std::errc>(condition.value()));
    return default_error_condition(value) == condition;
}

std::string HRESULT_error_category_impl::message(int value) const {
    char* raw = nullptr;
    const DWORD length = ::FormatMessageA(systemTextFlags, nullptr, static_cast<DWORD>(value), 0,
                                          reinterpret_cast<char*>(&raw), 0, nullptr);
    unique_local_memory owner(raw);
    if (length != 0 && raw != nullptr)
        return trimmed(std::string(raw, length));
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08x", static_cast<unsigned>(value));
    return hex;
}

std::string NTSTATUS_error_category_impl::message(int value) const {
    return std::to_string(value);
}

std::string CONFIGRET_error_category_impl::message(int value) const {
    return std::to_string(value);
}

const std::error_category& win32api_category() noexcept {
    static const win32api_error_category_impl instance;
    return instance;
}

const std::error_category& HRESULT_category() noexcept {
    static const HRESULT_error_category_impl instance;
    return instance;
}

const std::error_category& NTSTATUS_category() noexcept {
    static const NTSTATUS_error_category_impl instance;
    return instance;
}

const std::error_category& CONFIGRET_category() noexcept {
    static const CONFIGRET_error_category_impl instance;
    return instance;
}

namespace {

// The source file as its area folder and name ("tablet/usb_interface.cpp"),
// without the build machine's checkout path.
std::string siteText(const std::source_location& site) {
    const std::string_view path = site.file_name();
    std::size_t start = path.find_last_of("/\\");
    if (start != std::string_view::npos && start > 0)
        start = path.find_last_of("/\\", start - 1);
    const std::string_view file = start == std::string_view::npos ? path : path.substr(start + 1);
    return std::string(file) + ":" + std::to_string(site.line());
}

[[noreturn]] void throwIn(int value, const std::error_category& category, const char* function,
                          const std::source_location& site) {
    if (function != nullptr)
        throw std::system_error(value, category, function);
    throw std::system_error(value, category, siteText(site));
}

} // namespace

void throwWin32(DWORD value, const char* function, std::source_location site) {
    throwIn(static_cast<int>(value), win32api_category(), function, site);
}

void throwIfFailed(const std::error_code& error, const char* function) {
    if (error)
        throw std::system_error(error, function);
}

void throwHResult(HRESULT value, const char* function, std::source_location site) {
    throwIn(static_cast<int>(value), HRESULT_category(), function, site);
}

void throwNtStatus(LONG value, const char* function, std::source_location site) {
    throwIn(static_cast<int>(value), NTSTATUS_category(), function, site);
}

void throwConfigRet(DWORD value, const char* function, std::source_location site) {
    throwIn(static_cast<int>(value), CONFIGRET_category(), function, site);
}

void throwLastError(const char* function, std::source_location site) {
    throwWin32(::GetLastError(), function, site);
}

} // namespace Korva::Win32
