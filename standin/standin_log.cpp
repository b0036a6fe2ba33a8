// The stand-in's call record: tests name a file in TOVALEN_STANDIN_LOG and
// read back which operations the console called, with what.
#include "standin/standin.h"

#include <stdarg.h>
#include <stdio.h>

void Standin_Record(const char* format, ...)
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("TOVALEN_STANDIN_LOG", path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return;

    char line[2048];
    va_list args;
    va_start(args, format);
    int len = vsnprintf(line, sizeof line - 2, format, args);
    va_end(args);
    if (len < 0)
        return;
    if (len > static_cast<int>(sizeof line) - 3)
        len = static_cast<int>(sizeof line) - 3;
    line[len++] = '\r';
    line[len++] = '\n';

    // FILE_APPEND_DATA keeps whole lines from several processes in order.
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(len), &written, nullptr);
    CloseHandle(file);
}
