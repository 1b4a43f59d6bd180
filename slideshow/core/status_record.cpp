#include "slideshow/core/status_record.h"

#include <system_error>

namespace Korva::QELD {

std::string failureText(const std::exception& e) {
    const auto* system = dynamic_cast<const std::system_error*>(&e);
    if (system == nullptr)
        return e.what();
    return std::string(system->what()) + " (" + system->code().category().name() + " " +
           std::to_string(system->code().value()) + ")";
}

StatusRecord::StatusRecord(std::string version, RunMode mode,
                           std::chrono::system_clock::time_point since) {
    status_.program.version = std::move(version);
    status_.program.mode = mode;
    status_.program.since = since;
}

void StatusRecord::setClock(std::uint32_t interval,
                            std::optional<std::chrono::steady_clock::time_point> nextChange) {
    const std::lock_guard lock(mutex_);
    status_.program.interval = interval;
    status_.program.nextChange = nextChange;
}

void StatusRecord::setSuspended(bool suspended) {
    const std::lock_guard lock(mutex_);
    status_.program.suspended = suspended;
}

void StatusRecord::setLists(std::vector<PictureListStatus> lists) {
    const std::lock_guard lock(mutex_);
    status_.lists = std::move(lists);
}

void StatusRecord::tabletStarted(const std::wstring& path, std::uint16_t productId, ModelId model,
                                 std::chrono::system_clock::time_point now) {
    const std::lock_guard lock(mutex_);
    TabletStatus& tablet = status_.tablets[path];
    TabletStatus fresh;
    fresh.productId = productId;
    fresh.model = model;
    fresh.since = now;
    fresh.lastFailure = std::move(tablet.lastFailure);
    fresh.lastFailureTime = tablet.lastFailureTime;
    fresh.lastFailureEvent = tablet.lastFailureEvent;
    tablet = std::move(fresh);
}

// A worker whose entry was dropped as its tablet vanished must not bring it
// back with a late update.
TabletStatus* StatusRecord::find(const std::wstring& path) {
    const auto found = status_.tablets.find(path);
    return found == status_.tablets.end() ? nullptr : &found->second;
}

void StatusRecord::tabletProbed(const std::wstring& path, const ScreenFormat& format) {
    const std::lock_guard lock(mutex_);
    if (TabletStatus* tablet = find(path)) {
        tablet->format = format;
        tablet->state = TabletState::Showing;
    }
}

void StatusRecord::tabletWaiting(const std::wstring& path) {
    const std::lock_guard lock(mutex_);
    if (TabletStatus* tablet = find(path))
        tablet->state = TabletState::Waiting;
}

void StatusRecord::tabletUploaded(const std::wstring& path, const std::u16string& picture,
                                  std::chrono::system_clock::time_point start,
                                  std::chrono::milliseconds duration) {
    const std::lock_guard lock(mutex_);
    if (TabletStatus* tablet = find(path)) {
        tablet->state = TabletState::Showing;
        tablet->picture = picture;
        tablet->lastUpload = start;
        tablet->uploadTime = duration;
        ++tablet->uploads;
    }
}

void StatusRecord::tabletHeld(const std::wstring& path, std::chrono::milliseconds hold) {
    const std::lock_guard lock(mutex_);
    if (TabletStatus* tablet = find(path))
        tablet->holdTime = hold;
}

void StatusRecord::tabletFailed(const std::wstring& path, std::string text, bool ended,
                                std::uint32_t eventId, std::chrono::system_clock::time_point now) {
    const std::lock_guard lock(mutex_);
    if (TabletStatus* tablet = find(path)) {
        tablet->lastFailure = std::move(text);
        tablet->lastFailureTime = now;
        tablet->lastFailureEvent = eventId;
        if (ended)
            tablet->state = TabletState::Failed;
    }
}

void StatusRecord::tabletGone(const std::wstring& path) {
    const std::lock_guard lock(mutex_);
    status_.tablets.erase(path);
}

void StatusRecord::keepTablets(const std::set<std::wstring>& attached) {
    const std::lock_guard lock(mutex_);
    std::erase_if(status_.tablets,
                  [&](const auto& entry) { return !attached.contains(entry.first); });
}

StatusSnapshot StatusRecord::snapshot() const {
    const std::lock_guard lock(mutex_);
    return status_;
}

} // namespace Korva::QELD
