// The add-location dialog (105) and the console's Add command (1008): a
// location composed by the framework from a library name and a page name.
#pragma once

#include <windows.h>

// The size of the location buffer the Add command provides.
const int ADD_LOCATION_BUFFER_SIZE = 520;

// Runs dialog 105 owned by owner on the location buffer (520 bytes, its first
// byte cleared first); true exactly when the dialog ended with OK.
bool AddLocation_Run(HWND owner, char* location);
INT_PTR CALLBACK AddLocationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Command 1008: the dialog, then the new location appended, selected, saved,
// and the focus on the history list. Returns 1 (handled).
BOOL AddLocation_OnAddCommand(HWND consoleDialog);
