#include "service/core/status_health.h"

#include "service/core/status_words.h"

#include <set>

namespace Korva::QELD {
namespace {

using namespace std::chrono;

// The list a tablet shows: its model's own, or the generic one.
const PictureListStatus* listOf(const StatusSnapshot& status, ModelId model) {
    const PictureListStatus* generic = nullptr;
    for (const auto& list : status.lists) {
        for (const ModelId listed : list.models) {
            if (listed == model)
                return &list;
            if (listed == 0)
                generic = &list;
        }
    }
    return generic;
}

bool hasPictures(const PictureListStatus* list) {
    return list != nullptr && !list->folder.empty() && list->available && list->pictures > 0;
}

void assessList(const PictureListStatus& list, std::vector<std::string>& reasons) {
    if (list.folder.empty())
        reasons.push_back("No pictures folder is set for " + modelNames(list) + ".");
    else if (!list.available)
        reasons.push_back("The pictures folder " + listName(list) + " is not available.");
    else if (list.pictures == 0)
        reasons.push_back("The pictures folder " + listName(list) + " holds no pictures.");
}

std::string lastFailure(const TabletStatus& tablet) {
    return tablet.lastFailure.empty() ? "" : " Last failure: " + tablet.lastFailure;
}

// True when the tablet shows the pictures of its list.
bool assessTablet(const TabletStatus& tablet, const PictureListStatus* list, std::uint32_t interval,
                  system_clock::time_point now, std::vector<std::string>& reasons) {
    if (tablet.state == TabletState::Failed) {
        reasons.push_back("The tablet " + tabletName(tablet) + " is stopped by a failure." +
                          lastFailure(tablet));
        return false;
    }
    if (!hasPictures(list))
        return false; // the list's own reason says why
    const auto last = tablet.lastUpload.value_or(tablet.since);
    if (now - last <= milliseconds(interval) * darkIntervals + uploadAllowance)
        return true;
    reasons.push_back("The tablet " + tabletName(tablet) + " has shown no picture for " +
                      std::to_string(duration_cast<seconds>(now - last).count()) + " s." +
                      lastFailure(tablet));
    return false;
}

} // namespace

HealthReport assessHealth(const StatusSnapshot& status, system_clock::time_point now) {
    HealthReport report;
    if (status.program.suspended) {
        report.state = Health::Degraded;
        report.reasons.push_back("The slideshow is suspended.");
        return report;
    }
    if (status.tablets.empty())
        report.reasons.push_back("No tablet is attached.");
    // Only the lists that attached tablets show count: a model's folder
    // matters only while a tablet of that model is there.
    std::set<const PictureListStatus*> shown;
    bool anyShowing = false;
    for (const auto& [path, tablet] : status.tablets) {
        const PictureListStatus* list = listOf(status, tablet.model);
        if (list != nullptr)
            shown.insert(list);
        anyShowing |= assessTablet(tablet, list, status.program.interval, now, report.reasons);
    }
    for (const auto& list : status.lists) {
        if (shown.contains(&list))
            assessList(list, report.reasons);
    }
    if (!report.reasons.empty())
        report.state = anyShowing ? Health::Degraded : Health::Failed;
    return report;
}

const char* healthText(Health health) {
    switch (health) {
    case Health::Healthy:
        return "healthy";
    case Health::Degraded:
        return "degraded";
    case Health::Failed:
        break;
    }
    return "failed";
}

int healthExitCode(Health health) {
    switch (health) {
    case Health::Healthy:
        return 0;
    case Health::Degraded:
        return 2;
    case Health::Failed:
        break;
    }
    return 3;
}

} // namespace Korva::QELD
