#pragma once

#include <windows.h>

#ifdef QELD_BUILDING_APPLET
#define QELD_APPLET_API __declspec(dllexport)
#else
#define QELD_APPLET_API __declspec(dllimport)
#endif

// Opens the settings dialog modally: editable when canEdit is not 0, else
// read-only. Returns 1 after OK or a successful "Change", 2 after Close and
// -1 when the dialog cannot be created.
extern "C" QELD_APPLET_API INT WINAPI ConfigureQELD(BOOL canEdit);
