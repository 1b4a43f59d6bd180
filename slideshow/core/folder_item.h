#pragma once

#include <cstdint>
#include <string>

namespace Korva::QELD {

// What a folder listing says of a file besides its name: a file whose size or
// last-write time changed has new contents, even where no notification said
// so (a share overwritten behind the server).
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0;

    bool operator==(const FileStamp&) const = default;
};

// One file of a folder listing: its name relative to the folder.
struct FolderItem {
    std::u16string name;
    FileStamp stamp;

    bool operator==(const FolderItem&) const = default;
};

} // namespace Korva::QELD
