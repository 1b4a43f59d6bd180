#pragma once

#include <functional>
#include <string>
#include <vector>

namespace Korva::QELD {

// The call that gives a folder a protected DACL (in SDDL form); tests replace
// it where the system does not keep a folder's rights.
using FolderDaclStep = std::function<void(const std::wstring& folder, const std::wstring& dacl)>;

// Replaces the folder's DACL by the given one and stops it inheriting from
// its parent. Raises a system error on failure.
void setProtectedDacl(const std::wstring& folder, const std::wstring& dacl);

// Gives the pictures folder its installed rights, with modify rights for the
// named groups. Without groups, a folder whose rights are already protected
// (an earlier installation's, or an administrator's own) keeps them. An
// unknown group raises a system error that names it.
void protectPicturesFolder(const std::wstring& folder, const std::vector<std::wstring>& editors,
                           const FolderDaclStep& step = setProtectedDacl);

// "<all-users application data>\Zelqa\QEL Display\Picture copies\", where the
// service keeps local copies of a share's pictures.
std::wstring localCopyFolder();

// Creates the local-copy folder where it is missing and gives it its rights.
void createLocalCopyFolder(const FolderDaclStep& step = setProtectedDacl);

} // namespace Korva::QELD
