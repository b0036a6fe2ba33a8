// Path cutting and joining, and paths beside a loaded module. '\' and '/'
// both separate when read; only '\' is written. DBCS-aware like util_str.h:
// a trail byte equal to '\' is never taken for a separator.
#pragma once

#include <windows.h>

// Appends '\' unless the path is empty or already ends in a separator.
// Returns the path's terminator afterwards, or null (path unchanged) when
// the separator does not fit in size bytes.
char* UtilPath_AddSeparator(char* path, unsigned size);
// Cuts the last component: "D:\dir\file.txt" -> "D:\dir", "D:\file.txt" ->
// "D:\", "\file.txt" -> "\", "file.txt" -> "". Returns 1 when the path was
// shortened, 0 when left unchanged (empty, a drive, or the root alone).
int UtilPath_RemoveFileName(char* path);
// Joins second to path in a buffer of size bytes, dropping one leading
// separator of second. Null when it does not fit; the path may then have
// gained its trailing separator.
char* UtilPath_Combine(char* path, unsigned size, const char* second);
// The directory of module's file, without a trailing separator (but "D:\"
// for the root). 1 on success; 0 with an empty buffer on failure.
int UtilModule_GetDirectory(HMODULE module, char* buffer, unsigned size);
// fileName in the directory of module's file. 1 on success; 0 with an empty
// output on failure, never a partial path.
int UtilModule_BuildPath(HMODULE module, const char* fileName, char* out, unsigned size);
