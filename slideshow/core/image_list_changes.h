#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Korva::QELD {

// The actions a folder notification record carries (FILE_ACTION_ADDED to
// FILE_ACTION_RENAMED_NEW_NAME).
enum FileAction : std::uint32_t {
    FileAction_Added = 1,
    FileAction_Removed = 2,
    FileAction_Modified = 3,
    FileAction_RenamedOld = 4,
    FileAction_RenamedNew = 5,
};

// One record of a folder notification: what happened to which name
// (relative to the watched folder).
struct FileChange {
    std::uint32_t action = 0;
    std::u16string name;

    bool operator==(const FileChange&) const = default;
};

// Completions shorter than one record carry no changes: the system says so
// when it lost changes, and the folder must be listed again.
inline constexpr std::size_t minimumNotificationSize = 16;

// Reads the FILE_NOTIFY_INFORMATION records of a completed read: each is a
// 32-bit next-entry offset, action and name length in bytes, followed by the
// UTF-16 name. Reading stops at the last record or at the first record that
// does not fit the buffer, so a damaged buffer never reads outside it.
std::vector<FileChange> parseNotifications(const std::uint8_t* data, std::size_t size);

} // namespace Korva::QELD
