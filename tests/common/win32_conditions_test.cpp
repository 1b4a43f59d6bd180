#include "common/core/win32_conditions.h"

#include <gtest/gtest.h>

using namespace Korva::Win32;

TEST(Win32Conditions, MapsValuesOntoGenericConditions) {
    EXPECT_EQ(win32GenericCondition(2), std::errc::no_such_file_or_directory);
    EXPECT_EQ(win32GenericCondition(6), std::errc::bad_file_descriptor);
    EXPECT_EQ(win32GenericCondition(1816), std::errc::not_enough_memory);
    EXPECT_EQ(win32GenericCondition(183), std::errc::file_exists);
    EXPECT_EQ(win32GenericCondition(145), std::errc::directory_not_empty);
    EXPECT_FALSE(win32GenericCondition(0).has_value());
    EXPECT_FALSE(win32GenericCondition(1167).has_value());
}

TEST(Win32Conditions, FileNotFoundAlsoMeansNoSuchDevice) {
    EXPECT_TRUE(win32Equivalent(2, std::errc::no_such_device));
    EXPECT_TRUE(win32Equivalent(2, std::errc::no_such_device_or_address));
    EXPECT_TRUE(win32Equivalent(2, std::errc::no_such_file_or_directory));
    EXPECT_FALSE(win32Equivalent(3, std::errc::no_such_device));
    EXPECT_TRUE(win32Equivalent(3, std::errc::no_such_file_or_directory));
    EXPECT_FALSE(win32Equivalent(5, std::errc::invalid_argument));
}
