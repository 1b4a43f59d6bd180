#pragma once

#include <windows.h>

// The MinGW HID headers lack C linkage guards of their own.
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}
