#pragma once

#include <windows.h>

namespace Korva::QELD {

class CPadDlgBase;
class CPadEditDlg;

// Reads a page's settings set from the registry into the page.
void LoadPageSettings(CPadDlgBase& page);

// 0 when the page may be saved, else the string id of the message to show.
unsigned ValidatePage(CPadEditDlg& page);

// Writes a page's settings set, or deletes the model's own set when the page
// uses the generic one. Throws std::system_error naming the registry call
// that failed.
void SavePageSettings(CPadEditDlg& page);

// False for folders on network shares and on removable or optical drives.
bool IsFolderAccepted(const wchar_t* path);

// The slideshow interval in seconds, 5 when none is stored.
unsigned LoadUpdateTime();

} // namespace Korva::QELD
