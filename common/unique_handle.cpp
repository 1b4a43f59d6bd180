#include "common/unique_handle.h"

#include "common/error_categories.h"

namespace Korva::Win32 {

unique_event createEvent() {
    unique_event event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event)
        throwLastError("CreateEvent");
    return event;
}

} // namespace Korva::Win32
