#include "settings/core/settings_merge.h"

#include <gtest/gtest.h>

using namespace Korva::QELD;

TEST(SettingsMerge, RaisesOnlyForRealChanges) {
    DeviceConfigMap configs;
    DeviceConfig generic;
    EXPECT_EQ(mergeDeviceConfig(configs, 0, 0, generic).raised, ConfigurationFlag_DeviceConfig);
    EXPECT_EQ(mergeDeviceConfig(configs, 0, 0, generic).raised, 0u);
    generic.clip = 0x22;
    EXPECT_EQ(mergeDeviceConfig(configs, 0, 0, generic).raised, ConfigurationFlag_DeviceConfig);
    EXPECT_EQ(configs.at(0).clip, 0x22);
}

TEST(SettingsMerge, VanishedSetIsDroppedOnce) {
    DeviceConfigMap configs{{3, DeviceConfig{}}};
    const auto first = mergeDeviceConfig(configs, 3, 2, DeviceConfig{});
    EXPECT_EQ(first.raised, ConfigurationFlag_DeviceConfig);
    EXPECT_EQ(first.note, MergeNote::None);
    EXPECT_FALSE(configs.contains(3));
    const auto second = mergeDeviceConfig(configs, 3, 2, DeviceConfig{});
    EXPECT_EQ(second.raised, 0u);
    EXPECT_EQ(second.note, MergeNote::UnreadSetNotHeld);
}

TEST(SettingsMerge, FirstIntervalAlwaysCountsThenOnlyChanges) {
    std::optional<std::uint32_t> interval;
    EXPECT_EQ(mergeUpdateTime(interval, 3000).raised, ConfigurationFlag_UpdateTime);
    EXPECT_EQ(mergeUpdateTime(interval, 3000).note, MergeNote::SameInterval);
    EXPECT_EQ(mergeUpdateTime(interval, 10000).raised, ConfigurationFlag_UpdateTime);
    EXPECT_EQ(interval, 10000u);
}
