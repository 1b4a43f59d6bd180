#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Korva::QEL {

// Where the platform keeps no device tree (Wine), the USB interface after
// the one that carries a HID node is found by name: the HID class driver
// names its node "HID\<interface id>\<instance>" after the USB interface
// "USB\<interface id>\<instance>" below it, and the interfaces of one
// composite device differ only in their "&MI_" number. Nothing when the
// HID node's id has no interface number.
std::optional<std::wstring> siblingInterfaceId(std::wstring_view hidInstanceId);

} // namespace Korva::QEL
