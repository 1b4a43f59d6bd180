#include "slideshow/core/campaign_calendar.h"

#include <algorithm>

namespace Korva::QELD {

std::vector<InvalidCampaign>
CampaignCalendar::takeListing(const std::vector<std::u16string>& names) {
    std::vector<InvalidCampaign> fresh;
    std::set<std::u16string> invalid;
    campaigns_.clear();
    for (const auto& name : names) {
        const CampaignName parsed = parseCampaignName(name);
        if (parsed.kind == CampaignName::Valid) {
            campaigns_.push_back({name, parsed.first, parsed.last});
        } else if (parsed.kind == CampaignName::Invalid && invalid.insert(name).second &&
                   !invalid_.contains(name)) {
            fresh.push_back({name, parsed.problem});
        }
    }
    invalid_ = std::move(invalid);
    return fresh;
}

std::vector<Campaign> CampaignCalendar::currentOn(LocalDate date) const {
    std::vector<Campaign> current;
    std::copy_if(campaigns_.begin(), campaigns_.end(), std::back_inserter(current),
                 [date](const Campaign& campaign) { return campaign.currentOn(date); });
    return current;
}

// The current set changes on the first day of a campaign still to come and
// on the day after the last day of one that has not ended yet.
std::optional<LocalDate> CampaignCalendar::nextChange(LocalDate date) const {
    std::optional<LocalDate> next;
    for (const auto& campaign : campaigns_) {
        if (campaign.last < date)
            continue;
        const LocalDate change =
            campaign.first > date ? campaign.first : campaign.last + std::chrono::days(1);
        if (!next || change < *next)
            next = change;
    }
    return next;
}

} // namespace Korva::QELD
