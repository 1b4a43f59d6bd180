#include "slideshow/campaign_list.h"

#include "common/core/utf.h"
#include "common/thread_body.h"
#include "slideshow/campaign_folders.h"
#include "slideshow/folder_call.h"
#include "slideshow/image_list_directory.h"
#include "slideshow/notification_read.h"

#include <algorithm>
#include <atomic>

namespace Korva::QELD {
namespace {

using namespace std::chrono;

const char* const watcherName = "Korva::QELD::CampaignList::campaignThread";

// When the local day ends, as last asked of the time zone's rules.
struct DayEnd {
    LocalDate date;
    steady_clock::time_point at;
};

// How long to wait: until the local day ends, or until the next periodic
// listing. The end of the day is asked again only when it has passed, the
// date is another, or a time change asked for it, as the time zone's rules
// cost more than the rest of a tick.
milliseconds waitTime(LocalCalendar& calendar, std::atomic<bool>& dateAsked,
                      std::optional<DayEnd>& dayEnd,
                      std::optional<steady_clock::time_point> relistAt) {
    const auto now = steady_clock::now();
    const LocalDate today = calendar.today();
    if (dateAsked.exchange(false) || !dayEnd || dayEnd->date != today || dayEnd->at <= now)
        dayEnd = DayEnd{today, now + calendar.untilTomorrow()};
    const auto until = relistAt ? std::min(dayEnd->at, *relistAt) : dayEnd->at;
    return std::max(milliseconds(0), ceil<milliseconds>(until - now));
}

} // namespace

// A watcher that fails leaves the list showing the folder's own pictures.
void CampaignList::campaignThread() noexcept {
    Win32::runThreadBody(
        "CampaignList::campaignThread()",
        [this] {
            const Win32::unique_event completion = Win32::createEvent();
            followFolder(completion.get());
            show({}, std::nullopt);
        },
        [this](std::exception_ptr) {
            eventLog_.report(Event_UnexpectedType);
            show({}, std::nullopt);
        });
}

// The subfolders are listed again whenever one is created, deleted or
// renamed; where that cannot be followed (the folder is missing, or a share
// gives no notifications), at a period instead. An empty folder setting
// names no folder, so there is nothing to list.
void CampaignList::followFolder(HANDLE completion) {
    const std::u16string& folder = config_.folder;
    for (;;) {
        // Every call on the folder may meet a hung file server: each runs on
        // a thread that a quit can leave behind, owning what it uses.
        auto handle = std::make_shared<Win32::unique_file>();
        if (!folder.empty()) {
            auto opened = callLeavable(quitEvent_.get(), [folder] {
                return std::make_shared<Win32::unique_file>(openFolderForWatching(folder));
            });
            if (!opened)
                return;
            handle = std::move(*opened);
        }
        // Subfolders made, deleted or renamed end the wait; what changed is
        // not read, as the subfolders are listed again.
        std::optional<NotificationRead> changes;
        bool watching = false;
        if (*handle && ::ResetEvent(completion)) {
            changes.emplace(handle->get(), completion, FILE_NOTIFY_CHANGE_DIR_NAME);
            watching = changes->start();
        }
        // Armed before the listing, so that a subfolder made meanwhile is
        // not missed.
        if (!relist())
            return;
        std::optional<milliseconds> relistAfter;
        if (!folder.empty() && !watching)
            relistAfter = *handle ? folderRelistInterval : folderRetryInterval;
        if (!waitForChange(handle, watching ? completion : nullptr, relistAfter))
            return;
    }
}

// Between listings the date is checked at every tick, when asked, and when
// the local day ends; the folder's identity at most every
// folderCheckInterval, as its own list checks it at every tick. False when
// the list is going.
bool CampaignList::waitForChange(const std::shared_ptr<Win32::unique_file>& folder,
                                 HANDLE completion, std::optional<milliseconds> relistAfter) {
    std::optional<steady_clock::time_point> relistAt;
    if (relistAfter)
        relistAt = steady_clock::now() + *relistAfter;
    auto checkedAt = steady_clock::now();
    std::optional<DayEnd> dayEnd;
    for (;;) {
        std::vector<HANDLE> handles{quitEvent_.get(), checkEvent_.get()};
        if (completion)
            handles.push_back(completion);
        const std::size_t lists = handles.size();
        handles.push_back(own_->changeEvent());
        for (const auto& campaign : campaigns_)
            handles.push_back(campaign.list->changeEvent());
        const milliseconds timeout = waitTime(calendar_, dateAsked_, dayEnd, relistAt);
        dropRetired();
        const DWORD result =
            ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                                     static_cast<DWORD>(timeout.count()));
        const std::size_t index = result - WAIT_OBJECT_0;
        if (index == 0)
            return false;
        if (index == 1) {
            ::ResetEvent(checkEvent_.get());
            if (*folder && steady_clock::now() - checkedAt >= folderCheckInterval) {
                checkedAt = steady_clock::now();
                const auto moved = callLeavable(quitEvent_.get(), [path = config_.folder, folder] {
                    return checkOpenFolder(path, folder->get());
                });
                if (!moved)
                    return false;
                if (*moved != 0)
                    return true;
            }
            refresh();
        } else if (index < lists) {
            return true;
        } else if (index < handles.size()) {
            forward(index - lists);
        } else if (result == WAIT_TIMEOUT) {
            if (relistAt && steady_clock::now() >= *relistAt)
                return true;
            refresh();
        } else {
            eventLog_.reportWaitResult(watcherName, __LINE__, result);
            ::Sleep(static_cast<DWORD>(folderRetryInterval.count()));
            return true;
        }
    }
}

// A folder that cannot be listed keeps the campaigns it had. False on quit.
bool CampaignList::relist() {
    if (!config_.folder.empty()) {
        const auto listed = callLeavable(quitEvent_.get(), [folder = config_.folder] {
            std::vector<std::u16string> names;
            const DWORD error = listSubfolders(folder, names);
            return std::make_pair(error, std::move(names));
        });
        if (!listed)
            return false;
        if (listed->first == 0) {
            for (const auto& invalid : campaignCalendar_.takeListing(listed->second))
                eventLog_.write(EventReports::campaignNameInvalid(
                    utf8FromUtf16(config_.folder + invalid.name), invalid.problem));
        }
    }
    refresh();
    return true;
}

// Campaigns that stay current keep their lists, with their places and
// prepared images; new ones get a list here, on the watcher's thread, as
// making one lists its folder.
void CampaignList::refresh() {
    const LocalDate today = calendar_.today();
    const std::vector<Campaign> current = bounded(campaignCalendar_.currentOn(today));
    const auto sameName = [](const Campaign& campaign, const Shown& shown) {
        return campaign.name == shown.name;
    };
    const bool same =
        std::equal(current.begin(), current.end(), campaigns_.begin(), campaigns_.end(), sameName);
    const std::optional<LocalDate> next = campaignCalendar_.nextChange(today);
    if (same) {
        const std::lock_guard lock(mutex_);
        nextChange_ = next;
        return;
    }
    std::vector<Shown> campaigns;
    for (const auto& campaign : current) {
        const auto kept = std::find_if(campaigns_.begin(), campaigns_.end(),
                                       [&](const Shown& s) { return sameName(campaign, s); });
        if (kept != campaigns_.end()) {
            campaigns.push_back(*kept);
            continue;
        }
        DeviceConfig config = config_;
        config.folder += campaign.name + config_.folder.back();
        campaigns.push_back(
            {campaign.name, std::make_shared<ImageList>(config, eventLog_, images_, render_)});
    }
    show(std::move(campaigns), next);
}

std::vector<Campaign> CampaignList::bounded(std::vector<Campaign> current) {
    if (current.size() <= campaignLimit) {
        tooManyReported_ = false;
        return current;
    }
    if (!std::exchange(tooManyReported_, true))
        eventLog_.write(EventReports::tooManyCampaigns(utf8FromUtf16(config_.folder),
                                                       static_cast<unsigned>(current.size()),
                                                       static_cast<unsigned>(campaignLimit)));
    current.resize(campaignLimit);
    return current;
}

void CampaignList::show(std::vector<Shown> campaigns, std::optional<LocalDate> nextChange) {
    {
        const std::lock_guard lock(mutex_);
        campaigns_.swap(campaigns);
        nextChange_ = nextChange;
        active_ = 0;
        shownOfActive_ = 0;
    }
    ::SetEvent(changeEvent_.get());
    for (auto& campaign : campaigns)
        retired_.push_back(std::move(campaign.list));
    dropRetired();
}

// A list is destroyed on the thread that made it, which balances the COM
// initialisation of its making: a list still being shown by a worker when it
// was dropped waits here until the worker lets go of it.
void CampaignList::dropRetired() {
    std::erase_if(retired_, [](const auto& list) { return list.use_count() == 1; });
}

// A picture arriving in an empty list is news for the main loop only when
// that list is shown: the folder's own while no campaign is current, or
// one of the current campaigns.
void CampaignList::forward(std::size_t index) {
    ImageList& list = index == 0 ? *own_ : *campaigns_[index - 1].list;
    list.resetChangeEvent();
    if ((index == 0) == campaigns_.empty())
        ::SetEvent(changeEvent_.get());
}

} // namespace Korva::QELD
