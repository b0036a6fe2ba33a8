// Start-up and shutdown of the console process.
#pragma once

#include <windows.h>

// The program's own module handle, stored before anything else.
extern HINSTANCE g_instance;

int Startup_Run(HINSTANCE instance, LPSTR commandLine);
