// Path texts for finding the framework library: a directory and a file name
// joined in a fixed-size buffer, and the program's own directory.
#pragma once

#include <windows.h>

// The platform's path limit: the size of every path buffer of the binding.
const int FRAMEWORK_PATH_SIZE = MAX_PATH;

// Appends addition behind text if both fit in size bytes with the terminator
// and one byte to spare; otherwise leaves text unchanged. Returns text.
char* FrameworkPath_Append(char* text, const char* addition, int size);
// Appends a backslash (unless the last character of text is one) and the file
// name (less one leading backslash), each only if it fits in size bytes. An
// empty text stays empty: an empty directory names no place, and the root of
// the current drive is not searched for it.
void FrameworkPath_AppendFile(char* text, const char* fileName, int size);
// out = directory, a backslash if needed, file name.
void FrameworkPath_Combine(const char* directory, const char* fileName, char* out, int size);
// out = the directory of module's file (null: the running program), a backslash, file name.
void FrameworkPath_ProgramDirFile(HMODULE module, const char* fileName, char* out, int size);
// The last occurrence of character in text, stepping by whole characters, so
// that a DBCS trail byte is never taken for it; null if there is none.
char* FrameworkPath_FindLastChar(char* text, char character);
