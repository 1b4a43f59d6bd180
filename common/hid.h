#pragma once

// MinGW's HID headers lack C linkage guards; every user includes them here.
#include <windows.h>

extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}
