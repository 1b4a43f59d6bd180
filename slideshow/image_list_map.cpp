#include "slideshow/image_list_map.h"

#include <algorithm>
#include <utility>

namespace Korva::QELD {

ImageListMap::ImageListMap(ConfigurationData& settings, EventLog& eventLog, ImageRenderer render,
                           std::size_t cacheLimit, LocalCalendar& calendar)
    : images_(cacheLimit), eventLog_(eventLog), render_(std::move(render)), calendar_(calendar) {
    DeviceConfigMap configs;
    {
        auto lock = settings.lock();
        configs = lock.deviceConfigs();
    }
    apply(configs);
}

ImageListMap::~ImageListMap() = default;

// Only the main thread changes the map, so it reads it here without the
// mutex. Lists replaced since the last change, which workers were still
// holding then, are destroyed first, here on the main thread.
void ImageListMap::apply(const DeviceConfigMap& configs) {
    dropRetired();
    ListsByModel<CampaignList> lists = lists_;
    for (const auto& [model, config] : configs) {
        assignList(lists, model, config, [&] {
            return std::make_shared<CampaignList>(config, eventLog_, images_, render_, calendar_);
        });
    }
    dropUnconfigured(lists, configs);
    {
        const std::lock_guard lock(mutex_);
        lists_.swap(lists);
    }
}

CampaignList* ImageListMap::get(ModelId model) {
    return find(model).get();
}

std::shared_ptr<CampaignList> ImageListMap::find(ModelId model) const {
    auto found = lists_.find(model);
    if (found == lists_.end())
        found = lists_.find(0);
    return found != lists_.end() ? found->second : nullptr;
}

// The worker holds the list while it renders, without the mutex. A list
// replaced meanwhile must still be destroyed on the main thread, whose COM
// initialisation its picture lists balance, never on the worker's: the
// worker hands it back to the map, which drops it at the next change.
std::vector<std::uint8_t> ImageListMap::getImage(ModelId model, const ScreenFormat& format,
                                                 std::u16string& path) {
    struct Held {
        ImageListMap& map;
        std::shared_ptr<CampaignList> list;
        ~Held() { map.release(std::move(list)); }
    } held{*this, nullptr};
    {
        const std::lock_guard lock(mutex_);
        held.list = find(model);
    }
    path.clear();
    return held.list ? held.list->getImage(format, path) : std::vector<std::uint8_t>();
}

void ImageListMap::release(std::shared_ptr<CampaignList> list) noexcept {
    if (!list)
        return;
    const std::lock_guard lock(mutex_);
    const bool mapped = std::any_of(lists_.begin(), lists_.end(),
                                    [&](const auto& item) { return item.second == list; });
    if (!mapped)
        retired_.push_back(std::move(list));
}

void ImageListMap::dropRetired() {
    std::vector<std::shared_ptr<CampaignList>> retired;
    {
        const std::lock_guard lock(mutex_);
        retired.swap(retired_);
    }
}

void ImageListMap::changeEvents(std::vector<HANDLE>& handles) const {
    for (const auto& item : lists_)
        handles.push_back(item.second->changeEvent());
}

void ImageListMap::checkDates() {
    for (const auto& item : lists_)
        item.second->checkDate();
}

} // namespace Korva::QELD
