#pragma once

namespace Korva::Win32 {

// The one privilege the service uses: it passes through folders it may not
// list (traverse checking), as every program does. The service declares it as
// its only required privilege, so that the service control manager gives it
// no other, and removes every other one from its token at start.
inline constexpr const wchar_t* usedPrivilege = L"SeChangeNotifyPrivilege";

// Lowers the process to medium integrity and removes from its token every
// privilege but the one it uses. Raises a system error on failure, except on
// systems without integrity levels, where the integrity level stays.
void reducePrivileges();

} // namespace Korva::Win32
