#pragma once

#include <string>
#include <vector>

namespace Korva::QELD {

// The service's own SID, "NT SERVICE\QELDSVC": S-1-5-80 followed by the SHA-1
// digest of the service's name in capitals (UTF-16LE) as five little-endian
// numbers. The installation gives the service an unrestricted service SID,
// so this SID is in its token whichever account it runs under, and folder
// rights can name the service itself rather than the account it shares.
inline constexpr const char16_t* serviceSid =
    u"S-1-5-80-1476206524-4136766540-2807376624-2104021116-3576626937";

enum class FolderAccess { Full, Modify, ReadAndExecute };

struct FolderGrant {
    std::u16string sid; // a string SID or an SDDL alias such as "BA"
    FolderAccess access;
};

// The DACL in SDDL form that gives exactly these rights: protected, so that
// it inherits nothing from its parent, and handed down to every file and
// subfolder.
std::u16string protectedFolderDacl(const std::vector<FolderGrant>& grants);

// Pictures: Administrators and SYSTEM full control, the service and Users
// read, and each of the given SIDs (groups that edit the pictures) modify.
std::vector<FolderGrant> picturesFolderGrants(const std::vector<std::u16string>& editorSids);

// Local copies of a share's pictures, written by the service itself:
// Administrators and SYSTEM full control, the service modify.
std::vector<FolderGrant> localCopyFolderGrants();

} // namespace Korva::QELD
