#pragma once

namespace Korva::QELD {

// True on Windows 6.0 and later, where processes may run without their
// administrative rights.
bool IsVistaOrLater();

// True when the process runs with its administrative rights; always false
// before 6.0, and false when the token cannot be read.
bool IsElevated();

// Editing is allowed before 6.0, and from 6.0 on only to an elevated process.
bool canEdit();

} // namespace Korva::QELD
