// Path texts for finding the framework library. Every write is bounded by
// the buffer size given; a text that does not fit is left as it was, so a
// path that is too long simply fails to load and the search moves on.
#include "framework/framework_path.h"

char* FrameworkPath_Append(char* text, const char* addition, int size)
{
    if (lstrlenA(text) + lstrlenA(addition) + 1 >= size)
        return text;
    lstrcpyA(text + lstrlenA(text), addition);
    return text;
}

void FrameworkPath_AppendFile(char* text, const char* fileName, int size)
{
    if (text[0] == '\0')
        return;
    // The last character, not the last byte: a directory ending with a DBCS
    // character whose trail byte is a backslash still needs its separator.
    // Both appends are bounded by the buffer's size.
    char* separator = FrameworkPath_FindLastChar(text, '\\');
    if (separator == nullptr || separator[1] != '\0')
        FrameworkPath_Append(text, "\\", size);
    if (fileName[0] == '\\')
        ++fileName;
    FrameworkPath_Append(text, fileName, size);
}

void FrameworkPath_Combine(const char* directory, const char* fileName, char* out, int size)
{
    lstrcpynA(out, directory, size);
    FrameworkPath_AppendFile(out, fileName, size);
}

void FrameworkPath_ProgramDirFile(HMODULE module, const char* fileName, char* out, int size)
{
    DWORD length = GetModuleFileNameA(module, out, static_cast<DWORD>(size));
    // A truncated name is not a path of this program: it names no place.
    if (length == 0 || length >= static_cast<DWORD>(size)) {
        out[0] = '\0';
        return;
    }
    char* separator = FrameworkPath_FindLastChar(out, '\\');
    if (separator != nullptr)
        *separator = '\0';
    FrameworkPath_AppendFile(out, fileName, size);
}

char* FrameworkPath_FindLastChar(char* text, char character)
{
    char* last = nullptr;
    for (char* p = text; *p != '\0'; p = CharNextA(p)) {
        if (*p == character)
            last = p;
    }
    return last;
}
