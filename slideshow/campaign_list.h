#pragma once

#include "common/event_log.h"
#include "common/core/noncopyable.h"
#include "common/unique_handle.h"
#include "settings/core/device_config.h"
#include "slideshow/core/campaign_calendar.h"
#include "slideshow/core/local_calendar.h"
#include "slideshow/image_list.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace Korva::QELD {

// At most this many campaigns of one folder are shown at once; each has a
// picture list and a watcher of its own.
inline constexpr std::size_t campaignLimit = 16;

// The slideshow of one settings set: the pictures of its folder, or, while
// campaigns of the folder are current, the pictures of those campaigns one
// campaign after the other, in listing order. A watcher thread of its own
// lists the folder's subfolders, follows their creation and deletion and the
// local date, and builds and drops the campaigns' picture lists; the main
// loop and the tablet workers never wait for the folder. Held by shared
// ownership: models with equal settings share it.
class CampaignList : noncopyable {
public:
    CampaignList(const DeviceConfig& config, EventLog& eventLog, PreparedImages& images,
                 ImageRenderer render, LocalCalendar& calendar);
    ~CampaignList();

    // As ImageList::getImage, for the picture shown now. The list is taken
    // under the lock and asked without it, so that a picture being prepared
    // never holds up the slideshow step or a change of campaigns; a list
    // dropped meanwhile lives on until the caller lets go of it.
    std::vector<std::uint8_t> getImage(const ScreenFormat& format, std::u16string& path);

    // The slideshow step; true when a picture is shown afterwards. Until the
    // watcher has listed the subfolders the folder's own pictures are shown,
    // so that a list without campaigns behaves exactly as a plain list, with
    // no extra step when its listing ends. Every step also asks the watcher
    // to check the date.
    bool advance();

    bool matches(const DeviceConfig& config) { return own_->matches(config); }

    // Set when what is shown changes by itself: a campaign begins or ends, or
    // a picture arrives in an empty list that is shown. Reset by the next
    // step, which serves it.
    HANDLE changeEvent() const noexcept { return changeEvent_.get(); }

    // Asks the watcher to check the date now, after the clock or the time
    // zone changed or the computer resumed.
    void checkDate() noexcept {
        dateAsked_ = true;
        ::SetEvent(checkEvent_.get());
    }

    std::u16string currentPath();
    PictureListStatus summary();

private:
    struct Shown {
        std::u16string name;
        std::shared_ptr<ImageList> list;
    };

    std::shared_ptr<ImageList> shown();
    void campaignThread() noexcept;
    void followFolder(HANDLE completion);
    bool waitForChange(const std::shared_ptr<Win32::unique_file>& folder, HANDLE completion,
                       std::optional<std::chrono::milliseconds> relistAfter);
    bool relist();
    void refresh();
    std::vector<Campaign> bounded(std::vector<Campaign> current);
    void show(std::vector<Shown> campaigns, std::optional<LocalDate> nextChange);
    void forward(std::size_t index);
    void dropRetired();

    DeviceConfig config_;
    EventLog& eventLog_;
    PreparedImages& images_;
    ImageRenderer render_;
    LocalCalendar& calendar_;
    Win32::unique_event quitEvent_;
    Win32::unique_event changeEvent_;
    Win32::unique_event checkEvent_;
    std::atomic<bool> dateAsked_{false};
    std::shared_ptr<ImageList> own_;

    // Only the watcher thread uses these.
    CampaignCalendar campaignCalendar_;
    bool tooManyReported_ = false;
    std::vector<std::shared_ptr<ImageList>> retired_;

    // The mutex guards these; the watcher alone changes them.
    std::mutex mutex_;
    std::vector<Shown> campaigns_;
    std::optional<LocalDate> nextChange_;
    std::size_t active_ = 0;
    std::size_t shownOfActive_ = 0;

    std::thread watcher_;
};

} // namespace Korva::QELD
