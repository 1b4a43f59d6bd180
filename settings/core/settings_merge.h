#pragma once

#include "settings/core/configuration_flags.h"
#include "settings/core/device_config.h"

#include <optional>

namespace Korva::QELD {

// What a merge that raised no flag notes for the debug output.
enum class MergeNote {
    None,
    UnreadSetNotHeld, // a set could not be read and none was held
    SameInterval,     // the interval read is the one held
};

// Outcome of merging one read into the settings held so far.
struct MergeResult {
    ConfigurationFlags raised = 0;
    MergeNote note = MergeNote::None;
};

// Merges the read of one settings set: rc is the registry result of opening
// it (0 when read). A set that can no longer be read is dropped.
MergeResult mergeDeviceConfig(DeviceConfigMap& configs, ModelId id, long rc,
                              const DeviceConfig& read);

// Merges a newly read interval; the first read always counts as a change.
MergeResult mergeUpdateTime(std::optional<std::uint32_t>& updateTime, std::uint32_t read);

} // namespace Korva::QELD
