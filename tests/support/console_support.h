// Helpers for the tests of the console dialog, its log pane and its settings:
// the Settings registry key, list boxes read in this process or another, the
// stand-in's debug-event control window, and the dialog created in the test
// program itself.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/clipboard.h"

namespace test {

// Values under HKLM\Software\Orvane\Orvane Shared Components\Tovalen\Settings.
void DeleteSettingsValues();
void SetSettingsValue(const char* name, DWORD type, const void* data, DWORD size);
void SetSettingsDword(const char* name, DWORD value);
// False when the value is missing or not a 4-byte REG_DWORD.
bool GetSettingsDword(const char* name, DWORD* value);

// Entries of a list box of this process or of another one (the text travels
// as UTF-16 and is converted to the active code page here).
std::vector<std::string> ListLines(HWND list);
int ListCount(HWND list);
std::string ListLine(HWND list, int index);
// Waits until the list holds <count> entries; false on time-out.
bool WaitForListCount(HWND list, int count, DWORD milliseconds = 10000);

// Menu item state (MFS_* bits) of a command in a menu, searched in submenus.
UINT MenuState(HMENU menu, UINT command);
bool MenuChecked(HMENU menu, UINT command);

// The stand-in's hidden control window in the process, waited for.
HWND FindStandinControl(DWORD processId, DWORD milliseconds = 10000);
// Makes the stand-in report <count> events of <category> with <text> through
// the registered callback; flags from standin/standin_debug.h.
bool ReportDebugEvents(HWND control, DWORD category, const std::string& text, DWORD count = 1, DWORD flags = 0);
// Waits until no worker thread of the stand-in is still reporting.
bool WaitForStandinWorkers(HWND control, DWORD milliseconds = 60000);

// Runs this thread's messages for the time given.
void PumpMessages(DWORD milliseconds);

}  // namespace test
