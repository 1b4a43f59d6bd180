#pragma once

#include "common/unique_handle.h"

#include <string>
#include <vector>

namespace Korva::QELD {

// Appends the names of the subfolders of a folder (which ends with a
// separator), in the order the platform lists them. Returns 0, or the error
// by which the search could not start.
DWORD listSubfolders(const std::u16string& folder, std::vector<std::u16string>& names);

} // namespace Korva::QELD
