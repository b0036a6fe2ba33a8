// Start-up and shutdown of the console process.
#pragma once

#include <windows.h>

// The program's own module handle, stored before anything else.
extern HINSTANCE g_instance;
// The CBT hook through which frame windows are found; null while none is installed.
extern HHOOK g_hook;

int Startup_Run(HINSTANCE instance, LPSTR commandLine);
