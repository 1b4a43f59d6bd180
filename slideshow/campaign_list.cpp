#include "slideshow/campaign_list.h"

#include "common/error_categories.h"

#include <utility>

namespace Korva::QELD {

CampaignList::CampaignList(const DeviceConfig& config, EventLog& eventLog, PreparedImages& images,
                           ImageRenderer render, LocalCalendar& calendar)
    : config_(config), eventLog_(eventLog), images_(images), render_(std::move(render)),
      calendar_(calendar), quitEvent_(Win32::createEvent()), changeEvent_(Win32::createEvent()),
      checkEvent_(Win32::createEvent()),
      own_(std::make_shared<ImageList>(config, eventLog, images, render_)) {
    watcher_ = std::thread([this] { campaignThread(); });
}

// The watcher drops the campaigns' lists itself, on the thread that made them.
CampaignList::~CampaignList() {
    ::SetEvent(quitEvent_.get());
    if (watcher_.joinable())
        watcher_.join();
}

// The caller holds the mutex.
std::shared_ptr<ImageList> CampaignList::shown() {
    return campaigns_.empty() ? own_ : campaigns_[active_].list;
}

std::vector<std::uint8_t> CampaignList::getImage(const ScreenFormat& format, std::u16string& path) {
    std::shared_ptr<ImageList> list;
    {
        const std::lock_guard lock(mutex_);
        list = shown();
    }
    return list->getImage(format, path);
}

// Each campaign shows as many pictures as it holds, then the next campaign
// takes over; each keeps its own place, so a campaign goes on where it left
// off when its turn comes again.
bool CampaignList::advance() {
    ::SetEvent(checkEvent_.get());
    const std::lock_guard lock(mutex_);
    ::ResetEvent(changeEvent_.get());
    if (campaigns_.empty())
        return own_->advance();
    for (std::size_t tries = 0; tries <= campaigns_.size(); ++tries) {
        ImageList& list = *campaigns_[active_].list;
        if (shownOfActive_ < list.summary().pictures) {
            ++shownOfActive_;
            if (list.advance())
                return true;
        }
        active_ = (active_ + 1) % campaigns_.size();
        shownOfActive_ = 0;
    }
    return false;
}

std::u16string CampaignList::currentPath() {
    std::shared_ptr<ImageList> list;
    {
        const std::lock_guard lock(mutex_);
        list = shown();
    }
    return list->currentPath();
}

// The folder is the settings' folder; the pictures are those shown now.
PictureListStatus CampaignList::summary() {
    const std::lock_guard lock(mutex_);
    PictureListStatus status = own_->summary();
    status.nextCampaignChange = nextChange_;
    if (campaigns_.empty())
        return status;
    status.pictures = 0;
    for (const auto& campaign : campaigns_) {
        status.campaigns.push_back(campaign.name);
        status.pictures += campaign.list->summary().pictures;
    }
    status.current = campaigns_[active_].list->currentPath();
    return status;
}

} // namespace Korva::QELD
