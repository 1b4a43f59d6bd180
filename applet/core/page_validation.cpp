#include "applet/core/page_validation.h"

#include "applet/core/option_tables.h"

namespace Korva::QELD {

unsigned validatePageChoices(const PageChoices& page) {
    if (page.offersGeneric && page.useGeneric)
        return 0;
    if (page.folderEmpty)
        return IDS_NO_FOLDER;
    if (!page.folderAccepted)
        return IDS_FOLDER_REFUSED;
    if (!page.size)
        return IDS_NO_SIZE;
    switch (*page.size) {
    case sizeStretch:
        return 0;
    case sizeBestFit:
        return page.border ? 0 : IDS_NO_BORDER;
    case sizeOriginal:
        if (!page.position)
            return IDS_NO_POSITION;
        return page.border ? 0 : IDS_NO_BORDER;
    default:
        return IDS_BAD_SIZE;
    }
}

} // namespace Korva::QELD
