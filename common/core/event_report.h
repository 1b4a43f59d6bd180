#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <system_error>
#include <vector>

namespace Korva::QELD {

// Message ids of the service's message table.
enum EventId : std::uint32_t {
    Event_DeviceRemoved = 0x40000006,
    Event_UnexpectedWaitResult = 0x80000001,
    Event_ReducePrivilegesFailed = 0x80000007,
    Event_FolderUnavailable = 0x8000000A,
    Event_FolderNotWatched = 0x8000000B,
    Event_SystemError = 0xC0000002,
    Event_Exception = 0xC0000003,
    Event_UnexpectedType = 0xC0000004,
    Event_ApiFailure = 0xC0000005,
    Event_NoConfiguration = 0xC0000008,
    Event_UnknownException = 0xC0000009,
    Event_BadPicture = 0xC0000020,
    Event_ScreenSizeRefused = 0x80000021,
    Event_TooManyTablets = 0x80000022,
    Event_ShareUnreachable = 0x80000030,
    Event_ShareBack = 0x40000031,
    Event_StatusPipeUnavailable = 0x80000060,
    Event_CampaignNameInvalid = 0x80000070,
    Event_TooManyCampaigns = 0x80000071,
};

// One event-log entry: the message id and its insert strings, in order.
struct EventReport {
    std::uint32_t id = 0;
    std::vector<std::string> inserts;

    bool operator==(const EventReport&) const = default;
};

// The shapes of the reports the service writes. Each builds the insert
// strings exactly as the message table expects them.
namespace EventReports {

EventReport plain(std::uint32_t id);
EventReport unexpectedType();
EventReport systemError(int value);
EventReport exception(const char* function, const std::exception& e);
EventReport waitResult(const char* function, int line, std::uint32_t result);
EventReport apiFailure(const char* function, const char* api, std::uint32_t error);
// A pictures folder that cannot be used or watched: the folder, the system's
// text for the error and its number.
EventReport folderFailure(std::uint32_t id, const std::string& folder, const std::string& text,
                          std::uint32_t error);
// A picture that cannot be shown: its path, what is wrong and the error's
// number, all as the caller words them.
EventReport badPicture(const std::string& path, const std::string& problem,
                       const std::string& number);
EventReport screenSizeRefused(const std::string& tablet, unsigned width, unsigned height);
EventReport tooManyTablets(const std::string& tablet, unsigned limit);
// The status pipe cannot be served: its name, the error's text and number.
EventReport statusPipeUnavailable(const std::string& pipe, const std::error_code& error);
// A subfolder whose name begins like a campaign's dates but holds no valid
// range: its path and what is wrong.
EventReport campaignNameInvalid(const std::string& folder, const std::string& problem);
EventReport tooManyCampaigns(const std::string& folder, unsigned current, unsigned limit);

} // namespace EventReports

// The severity word of a message id ("informational", "warning", "error"),
// for console output.
const char* eventSeverity(std::uint32_t id);

} // namespace Korva::QELD
