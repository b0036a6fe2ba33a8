// Internals shared by the stand-in library's source files.
#pragma once

#include <windows.h>

#include "framework/framework_interface.h"

// Appends one line to the call record named by the environment variable
// TOVALEN_STANDIN_LOG, if set. printf-style; the line end is added here.
void Standin_Record(const char* format, ...);

extern HINSTANCE g_standinInstance;

// Lets every open frame window handle its pending messages, then destroys
// those still open: the framework's windows do not outlive its cleanup.
void StandinFrame_CloseAll();

// The registered debugger callback and its context; null when none is.
FrameworkDebuggerProc Standin_Debugger(LPARAM* context);

// The debug-event control window (standin_debug.cpp): created on the thread
// that registers the callback, removed by the cleanup.
void StandinDebug_Start();
void StandinDebug_Stop();
