#pragma once

#include "settings/core/device_config.h"
#include "slideshow/picture/core/screen_format.h"

#include <chrono>
#include <exception>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace Korva::QELD {

enum class RunMode { Service, Console };

// What a worker is doing with its tablet. A worker that ended by a failure
// keeps its entry until the tablet is gone, so that the failure stays visible.
enum class TabletState { Starting, Showing, Waiting, Failed };

struct TabletStatus {
    std::uint16_t productId = 0;
    ModelId model = 0;
    ScreenFormat format; // width 0 until the screen is probed
    TabletState state = TabletState::Starting;
    std::u16string picture;
    std::optional<std::chrono::system_clock::time_point> lastUpload;
    std::chrono::milliseconds uploadTime{0};
    std::uint64_t uploads = 0;
    std::string lastFailure;
    // When the worker started, so that a tablet that never showed a picture
    // is told from one that has only just been plugged.
    std::chrono::system_clock::time_point since;
    std::optional<std::chrono::system_clock::time_point> lastFailureTime;
    // The message id of the event-log report of the last failure; 0 when the
    // failure has no report of its own.
    std::uint32_t lastFailureEvent = 0;
    // How long the last upload held the tablet exclusively, from its open to
    // its close; other programs cannot open the tablet meanwhile.
    std::chrono::milliseconds holdTime{0};
};

// Where the pictures of a list on a file server are shown from: the share
// or its local copy, since when, and what the copy keeps within its bound.
struct PictureCopyStatus {
    bool shown = false;
    std::chrono::system_clock::time_point since;
    std::uint64_t bytes = 0;
    std::uint64_t bound = 0;
};

struct PictureListStatus {
    std::vector<ModelId> models;
    std::u16string folder;
    std::size_t pictures = 0;
    std::u16string current;
    // False while the folder cannot be opened (not there, or unreachable).
    bool available = true;
    std::optional<PictureCopyStatus> copy = std::nullopt; // lists on a file server only
    // The campaigns shown now, by folder name, and the first day on which
    // that changes.
    std::vector<std::u16string> campaigns{};
    std::optional<std::chrono::sys_days> nextCampaignChange{};
};

struct ProgramStatus {
    std::string version;
    RunMode mode = RunMode::Console;
    std::chrono::system_clock::time_point since;
    std::uint32_t interval = 0;
    std::optional<std::chrono::steady_clock::time_point> nextChange;
    bool suspended = false;
};

struct StatusSnapshot {
    ProgramStatus program;
    std::vector<PictureListStatus> lists;
    std::map<std::wstring, TabletStatus> tablets; // by HID path
};

// A failure as the status shows it: the message, and for a system error its
// category and value.
std::string failureText(const std::exception& e);

// What the running slideshow tells a status query. Workers and the main loop
// publish here; the status server reads a copy. The lock is always the last
// one taken and guards memory only, so no device or file I/O ever waits on it.
class StatusRecord {
public:
    StatusRecord(std::string version, RunMode mode, std::chrono::system_clock::time_point since);

    void setClock(std::uint32_t interval,
                  std::optional<std::chrono::steady_clock::time_point> nextChange);
    void setSuspended(bool suspended);
    void setLists(std::vector<PictureListStatus> lists);

    // A new worker starts afresh but keeps the last failure of its tablet.
    void
    tabletStarted(const std::wstring& path, std::uint16_t productId, ModelId model,
                  std::chrono::system_clock::time_point now = std::chrono::system_clock::now());
    void tabletProbed(const std::wstring& path, const ScreenFormat& format);
    void tabletWaiting(const std::wstring& path);
    void tabletUploaded(const std::wstring& path, const std::u16string& picture,
                        std::chrono::system_clock::time_point start,
                        std::chrono::milliseconds duration);
    void tabletHeld(const std::wstring& path, std::chrono::milliseconds hold);
    // A failure the worker goes on after (a picture that cannot be shown),
    // or one that ended it, with the id of the event that reports it.
    void tabletFailed(const std::wstring& path, std::string text, bool ended,
                      std::uint32_t eventId = 0,
                      std::chrono::system_clock::time_point now = std::chrono::system_clock::now());
    // The worker ended without a failure, or its tablet is gone.
    void tabletGone(const std::wstring& path);
    // Drops the entries of tablets that are no longer attached.
    void keepTablets(const std::set<std::wstring>& attached);

    StatusSnapshot snapshot() const;

private:
    TabletStatus* find(const std::wstring& path);

    mutable std::mutex mutex_;
    StatusSnapshot status_;
};

} // namespace Korva::QELD
