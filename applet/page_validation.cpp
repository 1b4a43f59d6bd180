#include "applet/page_validation.h"

#include "applet/option_tables.h"

namespace Korva::QELD {

unsigned validatePageChoices(const PageChoices& page) {
    if (page.offersGeneric && page.useGeneric)
        return 0;
    if (page.folderEmpty)
        return messageNoFolder;
    if (!page.folderAccepted)
        return messageFolderRefused;
    if (!page.size)
        return messageNoSize;
    switch (*page.size) {
    case sizeStretch:
        return 0;
    case sizeBestFit:
        return page.border ? 0 : messageNoBorder;
    case sizeOriginal:
        if (!page.position)
            return messageNoPosition;
        return page.border ? 0 : messageNoBorder;
    default:
        return messageBadSize;
    }
}

} // namespace Korva::QELD
