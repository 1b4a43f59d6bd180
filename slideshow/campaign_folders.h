#pragma once

#include "common/core/noncopyable.h"
#include "common/unique_handle.h"

#include <memory>
#include <string>
#include <vector>

namespace Korva::QELD {

// Appends the names of the subfolders of a folder (which ends with a
// separator), in the order the platform lists them. Returns 0, or the error
// by which the search could not start.
DWORD listSubfolders(const std::u16string& folder, std::vector<std::u16string>& names);

// One overlapped wait for subfolders being created, deleted or renamed in an
// open folder. What changed is not read: the caller lists the subfolders
// again. The system writes into the wait's block until the wait ends, so a
// wait still pending when it goes out of scope is cancelled and waited for a
// bounded time; one that does not end even then (a hung file server) leaves
// its block to the system rather than hold up a stop.
class SubfolderChanges : noncopyable {
public:
    SubfolderChanges(HANDLE folder, HANDLE completion);
    ~SubfolderChanges();

    // False when the folder's changes cannot be read (a share without
    // change notifications).
    bool start();

private:
    struct Block {
        OVERLAPPED overlapped{};
        DWORD buffer[64]{};
    };

    HANDLE folder_;
    std::unique_ptr<Block> block_;
    bool pending_ = false;
};

} // namespace Korva::QELD
