#include "common/core/event_report.h"

#include <cstdio>
#include <typeinfo>

namespace Korva::QELD {
namespace {

const char* const deviceThreadName = "Korva::QELD::DeviceThread::operator ()";

// Numbers become insert strings through a bounded formatter into a 32-byte
// buffer, as the event log's inserts are kept short.
template <class T> std::string formatted(const char* format, T value) {
    char buffer[32];
    const int n = std::snprintf(buffer, sizeof buffer, format, value);
    return n > 0 && n < static_cast<int>(sizeof buffer) ? std::string(buffer, n) : std::string();
}

} // namespace

namespace EventReports {

EventReport plain(std::uint32_t id) {
    return {id, {}};
}

EventReport unexpectedType() {
    return {Event_UnexpectedType, {deviceThreadName}};
}

EventReport systemError(int value) {
    return {Event_SystemError, {deviceThreadName, formatted("%d", value)}};
}

EventReport exception(const char* function, const std::exception& e) {
    const char* what = e.what();
    return {Event_Exception,
            {function, typeid(e).name(), what && *what ? what : "Unknown exception"}};
}

// The message text writes the "0x" before the result.
EventReport waitResult(const char* function, int line, std::uint32_t result) {
    return {Event_UnexpectedWaitResult,
            {function, formatted("%d", line), formatted("%x", static_cast<unsigned>(result))}};
}

EventReport apiFailure(const char* function, const char* api, std::uint32_t error) {
    return {Event_ApiFailure, {function, api, formatted("%d", static_cast<int>(error))}};
}

EventReport folderFailure(std::uint32_t id, const std::string& folder, const std::string& text,
                          std::uint32_t error) {
    return {id, {folder, text, formatted("%u", static_cast<unsigned>(error))}};
}

EventReport badPicture(const std::string& path, const std::string& problem,
                       const std::string& number) {
    return {Event_BadPicture, {path, problem, number}};
}

EventReport screenSizeRefused(const std::string& tablet, unsigned width, unsigned height) {
    return {Event_ScreenSizeRefused, {tablet, formatted("%u", width), formatted("%u", height)}};
}

EventReport tooManyTablets(const std::string& tablet, unsigned limit) {
    return {Event_TooManyTablets, {tablet, formatted("%u", limit)}};
}

EventReport statusPipeUnavailable(const std::string& pipe, const std::error_code& error) {
    return {Event_StatusPipeUnavailable,
            {pipe, error.message(), formatted("%u", static_cast<unsigned>(error.value()))}};
}

EventReport campaignNameInvalid(const std::string& folder, const std::string& problem) {
    return {Event_CampaignNameInvalid, {folder, problem}};
}

EventReport tooManyCampaigns(const std::string& folder, unsigned current, unsigned limit) {
    return {Event_TooManyCampaigns, {folder, formatted("%u", current), formatted("%u", limit)}};
}

} // namespace EventReports

const char* eventSeverity(std::uint32_t id) {
    switch (id >> 30) {
    case 0:
        return "success";
    case 1:
        return "informational";
    case 2:
        return "warning";
    default:
        return "error";
    }
}

} // namespace Korva::QELD
