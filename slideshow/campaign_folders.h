#pragma once

#include "common/core/noncopyable.h"
#include "common/unique_handle.h"

#include <string>
#include <vector>

namespace Korva::QELD {

// Appends the names of the subfolders of a folder (which ends with a
// separator), in the order the platform lists them. Returns 0, or the error
// by which the search could not start.
DWORD listSubfolders(const std::u16string& folder, std::vector<std::u16string>& names);

// One overlapped wait for subfolders being created, deleted or renamed in an
// open folder. What changed is not read: the caller lists the subfolders
// again. A wait still pending when it goes out of scope is cancelled and
// waited for, as the system writes into its record until it ends.
class SubfolderChanges : noncopyable {
public:
    SubfolderChanges(HANDLE folder, HANDLE completion);
    ~SubfolderChanges();

    // False when the folder's changes cannot be read (a share without
    // change notifications).
    bool start();

private:
    HANDLE folder_;
    OVERLAPPED overlapped_{};
    DWORD buffer_[64]{};
    bool pending_ = false;
};

} // namespace Korva::QELD
