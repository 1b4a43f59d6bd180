#include "slideshow/image_list_map.h"

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
    for (const auto& [model, config] : configs)
        assign(model, config);
}

ImageListMap::~ImageListMap() = default;

void ImageListMap::assign(ModelId model, const DeviceConfig& config) {
    const std::lock_guard lock(mutex_);
    assignList(lists_, model, config, [&] {
        return std::make_shared<CampaignList>(config, eventLog_, images_, render_, calendar_);
    });
}

void ImageListMap::apply(const DeviceConfigMap& configs) {
    for (const auto& [model, config] : configs)
        assign(model, config);
    const std::lock_guard lock(mutex_);
    dropUnconfigured(lists_, configs);
}

CampaignList* ImageListMap::get(ModelId model) {
    auto found = lists_.find(model);
    if (found == lists_.end())
        found = lists_.find(0);
    return found != lists_.end() ? found->second.get() : nullptr;
}

std::vector<std::uint8_t> ImageListMap::getImage(ModelId model, const ScreenFormat& format,
                                                 std::u16string& path) {
    const std::lock_guard lock(mutex_);
    CampaignList* const list = get(model);
    path.clear();
    return list ? list->getImage(format, path) : std::vector<std::uint8_t>();
}

void ImageListMap::changeEvents(std::vector<HANDLE>& handles) const {
    for (const auto& item : lists_)
        handles.push_back(item.second->changeEvent());
}

void ImageListMap::resetChangeEvents() {
    for (const auto& item : lists_)
        item.second->resetChangeEvent();
}

void ImageListMap::checkDates() {
    for (const auto& item : lists_)
        item.second->checkDate();
}

} // namespace Korva::QELD
