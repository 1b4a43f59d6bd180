#pragma once

#include "settings/core/device_config.h"

#include <map>
#include <memory>

namespace Korva::QELD {

// The picture lists of the tablet models, by ModelId; models with equal
// settings hold the same list.
template <class List> using ListsByModel = std::map<ModelId, std::shared_ptr<List>>;

// Gives a model the first list, in ModelId order, whose settings equal the
// model's; when none does, a new list from make() replaces whatever the model
// had. A list no model holds any more is destroyed here. The caller holds the
// lock that guards the map.
template <class List, class Make>
void assignList(ListsByModel<List>& lists, ModelId model, const DeviceConfig& config, Make make) {
    for (const auto& [id, list] : lists) {
        if (list->matches(config)) {
            const std::shared_ptr<List> shared = list;
            lists[model] = shared;
            return;
        }
    }
    std::shared_ptr<List> created = make();
    lists[model] = std::move(created);
}

// Drops the lists of models that have no settings any more.
template <class List>
void dropUnconfigured(ListsByModel<List>& lists, const DeviceConfigMap& configs) {
    std::erase_if(lists, [&](const auto& item) { return !configs.contains(item.first); });
}

} // namespace Korva::QELD
