#include "common/event_log.h"

#include "common/error_categories.h"
#include "common/core/utf.h"

#include <cstdio>
#include <string>
#include <vector>

namespace Korva::QELD {

bool EventLog::write(const EventReport& report) noexcept {
    try {
        if (sink_ != nullptr)
            sink_->deliver(report);
        if (!source_)
            return false;
        std::vector<const char*> inserts;
        for (const auto& text : report.inserts)
            inserts.push_back(text.c_str());
        return ::ReportEventA(source_.get(), EVENTLOG_ERROR_TYPE, 0, report.id, nullptr,
                              static_cast<WORD>(inserts.size()), 0,
                              inserts.empty() ? nullptr : inserts.data(), nullptr) != FALSE;
    } catch (...) {
        return false;
    }
}

bool EventLog::report(std::uint32_t id) noexcept {
    return write(EventReports::plain(id));
}

bool EventLog::reportUnexpectedType() noexcept {
    return write(EventReports::unexpectedType());
}

bool EventLog::reportSystemError(int value) noexcept {
    return write(EventReports::systemError(value));
}

bool EventLog::reportException(const char* function, const std::exception& e) noexcept {
    try {
        return write(EventReports::exception(function, e));
    } catch (...) {
        return false;
    }
}

bool EventLog::reportWaitResult(const char* function, int line, std::uint32_t result) noexcept {
    try {
        return write(EventReports::waitResult(function, line, result));
    } catch (...) {
        return false;
    }
}

bool EventLog::reportApiFailure(const char* function, const char* api,
                                std::uint32_t error) noexcept {
    try {
        return write(EventReports::apiFailure(function, api, error));
    } catch (...) {
        return false;
    }
}

bool EventLog::reportFolderFailure(std::uint32_t id, const std::u16string& folder,
                                   std::uint32_t error) noexcept {
    try {
        const std::string text = Win32::win32api_category().message(static_cast<int>(error));
        return write(EventReports::folderFailure(id, utf8FromUtf16(folder), text, error));
    } catch (...) {
        return false;
    }
}

Win32::unique_event_source registerEventSource() noexcept {
    return Win32::unique_event_source(::RegisterEventSourceW(nullptr, L"Zelqa QEL Display"));
}

std::string renderReport(const EventReport& report) {
    // The message table may name more inserts than a report carries; empty
    // strings stand in for the missing ones.
    std::vector<std::wstring> wide;
    for (const auto& text : report.inserts) {
        const auto utf16 = utf16FromUtf8(text);
        wide.emplace_back(utf16.begin(), utf16.end());
    }
    wide.resize(std::max<size_t>(wide.size(), 9));
    std::vector<DWORD_PTR> args;
    for (const auto& text : wide)
        args.push_back(reinterpret_cast<DWORD_PTR>(text.c_str()));
    wchar_t* raw = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
            FORMAT_MESSAGE_ARGUMENT_ARRAY,
        ::GetModuleHandleW(nullptr), report.id, 0, reinterpret_cast<wchar_t*>(&raw), 0,
        reinterpret_cast<va_list*>(args.data()));
    Win32::unique_local_memory owner(raw);
    if (length == 0 || raw == nullptr)
        return "(no message text)";
    std::string text = utf8FromUtf16(std::u16string_view(reinterpret_cast<char16_t*>(raw), length));
    for (auto& c : text) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

void ConsoleEventSink::deliver(const EventReport& report) noexcept {
    try {
        const std::string line = renderReport(report);
        std::printf("event 0x%08X (%s): %s\n", static_cast<unsigned>(report.id),
                    eventSeverity(report.id), line.c_str());
        std::fflush(stdout);
    } catch (...) {
    }
}

} // namespace Korva::QELD
