#pragma once

namespace Korva::QELD {

class CEditDlg;

// Validates and saves every page, the interval and the service state of the
// editable main dialog. True when everything was saved and the service is in
// the chosen state; the dialog is then unmodified.
bool ApplySettings(CEditDlg& dialog);

} // namespace Korva::QELD
