// Internals shared by the stand-in library's source files.
#pragma once

#include <windows.h>

// Appends one line to the call record named by the environment variable
// TOVALEN_STANDIN_LOG, if set. printf-style; the line end is added here.
void Standin_Record(const char* format, ...);

extern HINSTANCE g_standinInstance;
