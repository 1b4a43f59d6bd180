#pragma once

#include "slideshow/core/campaign_names.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace Korva::QELD {

// A subfolder whose name gives the days on which its pictures are shown.
struct Campaign {
    std::u16string name;
    LocalDate first{};
    LocalDate last{};

    bool currentOn(LocalDate date) const { return first <= date && date <= last; }
};

// A subfolder name that begins like a campaign's dates but holds no valid
// range, and what is wrong with it.
struct InvalidCampaign {
    std::u16string name;
    const char* problem = nullptr;
};

// The campaigns of one pictures folder, as its last listing of subfolders
// found them, in listing order. Not thread-safe.
class CampaignCalendar {
public:
    // Takes a new listing of the folder's subfolder names. Returns the invalid
    // names that were not in the previous listing, so that each is reported
    // once for as long as it stays.
    std::vector<InvalidCampaign> takeListing(const std::vector<std::u16string>& names);

    // The campaigns current on the date, in listing order.
    std::vector<Campaign> currentOn(LocalDate date) const;

    // The first day after the date on which the current campaigns change;
    // none when no campaign starts or ends later.
    std::optional<LocalDate> nextChange(LocalDate date) const;

private:
    std::vector<Campaign> campaigns_;
    std::set<std::u16string> invalid_;
};

} // namespace Korva::QELD
