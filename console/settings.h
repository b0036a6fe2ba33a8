// Style and page-id settings: two framework-wide options chosen from the
// Settings menu and stored in the registry at once, for the framework to read.
#pragma once

#include <windows.h>

// The framework's settings key under HKEY_LOCAL_MACHINE, shared with the log pane.
extern const char SETTINGS_KEY[];

// -1 the default style, 2 and 3 forced styles. Any other value read from the
// registry is kept as it is and shown as the default style.
extern LONG ForceStyle;
// 0 off, any other value on; the console itself stores only 0 or 1.
extern DWORD DisplayPageId;

// 40007 gives 3, 40008 gives 2, any other command -1.
LONG Style_FromCommand(UINT command);

// Reads ForceStyle, then DisplayPageId; a value that cannot be read leaves its
// setting as it was.
void Settings_Read();
// Commands 40007, 40008 and 40009: choose a style, store it, update the checks.
void Settings_OnStyleCommand(HWND dialog, UINT command);
// Command 40010: switch the page-id display, store it, update the checks.
void Settings_OnPageIdCommand(HWND dialog);
// The style and page-id half of SettingsMenu_UpdateChecks.
void Settings_UpdateChecks(HMENU settingsMenu);
