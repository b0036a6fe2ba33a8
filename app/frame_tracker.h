// Tracking the framework's frame window: found at its creation through the
// CBT hook on the console's thread, then subclassed, so that the pages it
// shows join the history and later navigation reuses it.
#pragma once

#include <windows.h>

// The frame window being tracked, null when none; set and cleared only by the hook.
extern HWND g_trackedFrame;
// The tracked frame's window procedure before the subclass; never cleared.
extern WNDPROC g_previousFrameProc;

LRESULT CALLBACK FrameTracker_CbtHookProc(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK FrameTracker_SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Shows the location in the tracked frame, or opens a frame on it. Returns 1.
BOOL FrameTracker_Navigate(HWND owner, const char* location);
// Command 1003: navigates to the history's selected entry. Returns 1 (handled).
BOOL FrameTracker_OnNavigateCommand(HWND dialog);
// Asks the tracked frame, if it is a window, to close (posted WM_CLOSE).
void FrameTracker_CloseFrame();
