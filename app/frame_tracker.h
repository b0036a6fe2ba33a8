// Tracking the framework's frame window: found at its creation through the
// CBT hook on the console's thread, then subclassed.
#pragma once

#include <windows.h>

LRESULT CALLBACK FrameTracker_CbtHookProc(int code, WPARAM wParam, LPARAM lParam);
