#include "common/core/win32_conditions.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace Korva::Win32 {
namespace {

struct ConditionRow {
    std::errc condition;
    std::initializer_list<std::uint32_t> values;
};

const ConditionRow conditionTable[] = {
    {std::errc::no_such_file_or_directory, {2, 3, 15, 18, 53, 67, 161, 206}},
    {std::errc::argument_list_too_long, {10}},
    {std::errc::executable_format_error, {11}},
    {std::errc::bad_file_descriptor, {6, 114, 130}},
    {std::errc::no_child_process, {128, 129}},
    {std::errc::resource_unavailable_try_again, {89, 164, 215}},
    {std::errc::not_enough_memory, {7, 8, 9, 1816}},
    {std::errc::permission_denied, {5, 16, 33, 65, 82, 83, 108, 132, 158, 167}},
    {std::errc::file_exists, {80, 183}},
    {std::errc::cross_device_link, {17}},
    {std::errc::invalid_argument, {1, 12, 13, 87, 131}},
    {std::errc::too_many_files_open, {4}},
    {std::errc::no_space_on_device, {112}},
    {std::errc::broken_pipe, {109}},
    {std::errc::directory_not_empty, {145}},
};

} // namespace

std::optional<std::errc> win32GenericCondition(std::uint32_t value) {
    for (const auto& row : conditionTable) {
        if (std::find(row.values.begin(), row.values.end(), value) != row.values.end())
            return row.condition;
    }
    return std::nullopt;
}

bool win32Equivalent(std::uint32_t value, std::errc condition) {
    if (value == 2 && (condition == std::errc::no_such_device_or_address ||
                       condition == std::errc::no_such_device ||
                       condition == std::errc::no_such_file_or_directory))
        return true;
    return win32GenericCondition(value) == condition;
}

} // namespace Korva::Win32
