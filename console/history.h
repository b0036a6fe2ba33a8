// The navigation history: list 1001 of the console dialog, kept in the file
// TovaCon.ini beside the program, section "History" (keys "0".."n-1", "Last").
#pragma once

#include <windows.h>

// The longest entry the history keeps; every reader of an entry uses a
// buffer of this size plus the terminator.
const int HISTORY_ENTRY_MAX = 1023;

// The path of TovaCon.ini beside the program, or the empty text when it
// cannot be built. size is that of out (260).
void History_GetIniPath(char* out, unsigned size);
// Reads entry index into out; the number of characters read, 0 when there is
// no such entry (index not below "Last", key missing or empty).
DWORD History_LoadEntry(unsigned index, char* out, DWORD size);
// Fills the history list from the file, selects entry 0 and posts the
// selection-change notification that sets Navigate and Delete.
BOOL History_Load(HWND dialog);
// Rewrites the section from the list: keys "0".."n-1" and "Last" = n.
BOOL History_Save(HWND list);
// Command 1006: empties the list and writes "Last" = "0".
BOOL History_Clear();
// Command 1009: deletes the selected entry and selects the one that followed.
BOOL History_DeleteSelected(HWND dialog);
// Command 1001: selection change sets Navigate and Delete, double click navigates.
BOOL History_OnListNotify(HWND dialog, UINT code);
// A location the frame shows: added at the end, selected and saved, unless an
// entry already begins with it (case ignored). Locations longer than
// HISTORY_ENTRY_MAX, and empty ones, are not added.
BOOL History_AddIfAbsent(const char* location);
// Adds a location at the end of the history list, selects it, widens the
// list's horizontal extent to it and saves the history; FALSE if the list
// refused it.
BOOL History_Append(HWND list, const char* location);
