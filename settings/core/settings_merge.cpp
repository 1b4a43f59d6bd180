#include "settings/core/settings_merge.h"

namespace Korva::QELD {

MergeResult mergeDeviceConfig(DeviceConfigMap& configs, ModelId id, long rc,
                              const DeviceConfig& read) {
    if (rc != 0) {
        if (configs.erase(id) != 0)
            return {ConfigurationFlag_DeviceConfig};
        return {0, MergeNote::UnreadSetNotHeld};
    }
    const auto found = configs.find(id);
    const bool changed = found == configs.end() || !(found->second == read);
    configs[id] = read;
    return {changed ? ConfigurationFlag_DeviceConfig : 0};
}

MergeResult mergeUpdateTime(std::optional<std::uint32_t>& updateTime, std::uint32_t read) {
    if (updateTime == read)
        return {0, MergeNote::SameInterval};
    updateTime = read;
    return {ConfigurationFlag_UpdateTime};
}

} // namespace Korva::QELD
