// The debug log pane: the framework's debug events, filtered by category,
// one entry per line in list 1007 of the console dialog; the category mask and
// its registry values; the check marks of the Settings menu.
#pragma once

#include <windows.h>

// Bit 1 Trace, bit 2 Warn, bit 4 Fail; 6 by default. Further bits that come
// from the registry stay and are written back unchanged by every toggle.
extern DWORD DebugLogMask;

// The log keeps at most this many of the newest lines. When an addition would
// go beyond it, the oldest lines are dropped so that this many fewer remain
// before the new ones: a drop rebuilds the list, and doing it in large
// batches keeps its cost per line small.
const int DEBUG_LOG_MAX_LINES = 100000;
const int DEBUG_LOG_DROP_LINES = 20000;

// Lines are added to the list in batches, at most one repaint per interval
// while they arrive; a line that comes alone is shown at once.
const DWORD DEBUG_LOG_REPAINT_INTERVAL = 35;

// The dialog's timer that adds the lines still waiting.
const UINT_PTR DEBUG_LOG_TIMER = 1;

// Sent to the console dialog when an event comes from a thread other than the
// dialog's: lParam is the event's text, read while the sender waits.
const UINT WM_DEBUGLOG_TEXT = WM_APP + 1;

// Sets DebugLogMask from the registry value DebugLog; 6 when it cannot be read.
// Returns nonzero when the value was read.
BOOL DebugLog_ReadMask();

// The debugger callback registered with the framework; context is the console
// dialog. Returns 0. Callable on any thread.
DWORD WINAPI ConsoleDebuggerProc(DWORD category, const char* text, LPARAM context);

// Adds a text to the log list of the dialog, one entry per line; lines are
// split at CR and LF, empty lines dropped, nothing trimmed. On another thread
// than the dialog's, the text travels to the dialog in one sent message.
void DebugLog_AddText(HWND dialog, const char* text);

// Flips one category bit, updates the check marks and stores the mask.
void DebugLog_ToggleCategory(HWND dialog, DWORD bit);
// Stores the mask as both DebugLog and DebugOutput.
void DebugLog_WriteMask(DWORD mask);
// Every check mark of the Settings menu (position 1 of the dialog's menu bar).
void SettingsMenu_UpdateChecks(HWND dialog);

// Command 40005 and Ctrl+C in the log list: the selected lines, in list order,
// each ending with CR LF, as text on the clipboard; nothing without a selection.
void DebugLog_Copy(HWND dialog);
// Command 40006: empties the log list.
void DebugLog_Clear(HWND dialog);

// The pane's life within the dialog: Attach during initialisation, before the
// callback is registered; Detach when the dialog is destroyed: the lines still
// waiting are listed, and later events are ignored.
void DebugLog_Attach(HWND dialog);
void DebugLog_Detach(HWND dialog);
// The dialog's WM_DEBUGLOG_TEXT: the text of an event from another thread.
void DebugLog_OnSentText(HWND dialog, const char* text);
// The dialog's WM_TIMER; returns nonzero when the timer was the pane's.
BOOL DebugLog_OnTimer(HWND dialog, UINT_PTR timer);
// Adds every line still waiting to the list and repaints it.
void DebugLog_Flush(HWND dialog);

// Changes the repaint interval; 0 adds and repaints with every line, which is
// how the pane behaved before batching (kept for the benchmark's comparison).
void DebugLog_SetRepaintInterval(DWORD milliseconds);

// The beep of Warn and Fail events; MessageBeep, replaced only by tests.
extern BOOL(WINAPI* DebugLog_Beep)(UINT type);
