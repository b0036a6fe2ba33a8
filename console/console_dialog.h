// The console's main window: modal dialog 102, its initialisation, its
// command dispatch and the context menu of the log list.
#pragma once

#include <windows.h>

// The console dialog's window, remembered when it initialises; never cleared.
extern HWND g_consoleDialog;

// Runs dialog 102 modally; 0 after Exit or Cancel, -1 if it cannot be created.
int ConsoleDialog_Run(HWND owner, LPARAM creationParameter);
INT_PTR CALLBACK ConsoleDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The handlers, each returning nonzero when its message is handled.
BOOL ConsoleDialog_OnInitDialog(HWND dialog);
BOOL ConsoleDialog_OnCommand(HWND dialog, WPARAM wParam);
BOOL ConsoleDialog_OnContextMenu(HWND dialog, WPARAM wParam, LPARAM lParam);

// Sets a list box's horizontal extent to its widest entry, so that its
// horizontal scroll bar reaches the end of every entry.
void ConsoleDialog_FitListExtent(HWND list);
