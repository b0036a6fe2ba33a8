// The console's main window: modal dialog 102 and its command dispatch.
#pragma once

#include <windows.h>

// The console dialog's window, remembered when it initialises; never cleared.
extern HWND g_consoleDialog;

int ConsoleDialog_Run(HWND owner, LPARAM creationParameter);
INT_PTR CALLBACK ConsoleDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
