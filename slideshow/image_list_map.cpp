#include "slideshow/image_list_map.h"

#include <utility>

namespace Korva::QELD {

ImageListMap::ImageListMap(ConfigurationData& settings, EventLog& eventLog, ImageRenderer render,
                           std::size_t cacheLimit)
    : images_(cacheLimit), eventLog_(eventLog), render_(std::move(render)) {
    DeviceConfigMap configs;
    {
        auto lock = settings.lock();
        configs = lock.deviceConfigs();
    }
    apply(configs);
}

ImageListMap::~ImageListMap() = default;

// Only the main thread changes the map, so it reads it here without the
// mutex.
void ImageListMap::apply(const DeviceConfigMap& configs) {
    ListsByModel<ImageList> lists = lists_;
    for (const auto& [model, config] : configs) {
        assignList(lists, model, config, [&] {
            return std::make_shared<ImageList>(config, eventLog_, images_, render_);
        });
    }
    dropUnconfigured(lists, configs);
    {
        const std::lock_guard lock(mutex_);
        lists_.swap(lists);
    }
}

ImageList* ImageListMap::get(ModelId model) {
    return find(model).get();
}

std::shared_ptr<ImageList> ImageListMap::find(ModelId model) const {
    auto found = lists_.find(model);
    if (found == lists_.end())
        found = lists_.find(0);
    return found != lists_.end() ? found->second : nullptr;
}

// The worker holds the list while it renders, so a list replaced meanwhile
// is destroyed when the worker lets go of it.
std::vector<std::uint8_t> ImageListMap::getImage(ModelId model, const ScreenFormat& format,
                                                 std::u16string& path) {
    std::shared_ptr<ImageList> list;
    {
        const std::lock_guard lock(mutex_);
        list = find(model);
    }
    path.clear();
    return list ? list->getImage(format, path) : std::vector<std::uint8_t>();
}

void ImageListMap::changeEvents(std::vector<HANDLE>& handles) const {
    for (const auto& item : lists_)
        handles.push_back(item.second->changeEvent());
}

} // namespace Korva::QELD
