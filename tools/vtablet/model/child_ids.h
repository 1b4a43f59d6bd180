#pragma once

#include <stddef.h>
#include <stdint.h>

// The identifiers a child of the virtual bus reports to the PnP manager, as
// UTF-16 strings (multi-strings for the id lists). Each call writes into
// out, which holds capacity characters, and returns the characters written
// including the terminators, or 0 if they do not fit.
namespace Korva::VTablet {

inline constexpr int nonComposite = -1;

// "USB\VID_2B7C&PID_0C16&REV_0100&MI_00"; without "&MI_" for nonComposite.
size_t childDeviceId(char16_t* out, size_t capacity, uint16_t productId, int interfaceNumber);

// The device id, then the id without its revision, then the list's end.
size_t childHardwareIds(char16_t* out, size_t capacity, uint16_t productId, int interfaceNumber);

// "QELVTAB\HID" for the HID interface (matched by the minidriver's INF),
// "QELVTAB\BULK" for the bulk interface.
size_t childCompatibleIds(char16_t* out, size_t capacity, bool hid);

// Unique per plug: "QV<slot>_<generation>".
size_t childInstanceId(char16_t* out, size_t capacity, uint32_t slot, uint32_t generation);

} // namespace Korva::VTablet
