#include "service/core/folder_rights.h"

namespace Korva::QELD {
namespace {

// Full control, modify (read, write, run, delete) and read and run, as the
// folder-rights dialog names them.
const char16_t* rightsOf(FolderAccess access) {
    switch (access) {
    case FolderAccess::Full:
        return u"FA";
    case FolderAccess::Modify:
        return u"0x1301bf";
    case FolderAccess::ReadAndExecute:
        break;
    }
    return u"0x1200a9";
}

} // namespace

std::u16string protectedFolderDacl(const std::vector<FolderGrant>& grants) {
    std::u16string dacl = u"D:P";
    for (const FolderGrant& grant : grants)
        dacl += u"(A;OICI;" + std::u16string(rightsOf(grant.access)) + u";;;" + grant.sid + u")";
    return dacl;
}

std::vector<FolderGrant> picturesFolderGrants(const std::vector<std::u16string>& editorSids) {
    std::vector<FolderGrant> grants{{u"BA", FolderAccess::Full},
                                    {u"SY", FolderAccess::Full},
                                    {serviceSid, FolderAccess::ReadAndExecute},
                                    {u"BU", FolderAccess::ReadAndExecute}};
    for (const std::u16string& sid : editorSids)
        grants.push_back({sid, FolderAccess::Modify});
    return grants;
}

std::vector<FolderGrant> localCopyFolderGrants() {
    return {{u"BA", FolderAccess::Full},
            {u"SY", FolderAccess::Full},
            {serviceSid, FolderAccess::Modify}};
}

} // namespace Korva::QELD
