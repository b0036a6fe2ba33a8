// The event reporter: formats an event once and hands it to the sinks its
// configuration selects (a host callback, the debugger output, a log file
// cut back to empty past 16384 bytes). Every sink is off by default.
//
// Level: the low 4 bits select sinks against the masks; bit 31 (a negative
// level) adds the text of the thread's last system error to the message.
#pragma once

#include <windows.h>

#include <cstdarg>

// Called for every event with the level unchanged, the message without its
// line end (valid only during the call) and the configured context.
typedef int (*UtilReportCallback)(LONG level, const char* message, DWORD_PTR context);

struct UtilReportConfig {
    char LogFilePath[MAX_PATH];
    DWORD FileMask;       // category bits written to the log file
    DWORD DebuggerMask;   // category bits sent to OutputDebugStringA
    UtilReportCallback Callback;
    DWORD_PTR Context;    // 32 bits in the 32-bit program
};

// The configuration in force (defaults: empty path, masks 0, no callback).
const UtilReportConfig* UtilReport_GetConfig();
// Replaces the configuration (null: back to the defaults). Not
// synchronised: set it before events are reported, not while they are.
void UtilReport_SetConfig(const UtilReportConfig* config);

// Reports one event; always returns 1. Messages are cut to fit 1024 bytes,
// and a message sent to the debugger or a file always ends with "\r\n".
int UtilReport_EventV(LONG level, const char* format, va_list args);
// Reports at level 2.
int UtilReport_Error(const char* format, ...);

// Appends one record "level\thh:mm m/dd/yyyy\ttext" to the file at path,
// emptying a file that is larger than 16384 bytes first. 1 when header and
// text were written, 0 otherwise (an unopenable file loses the record).
int UtilLogFile_Write(LONG level, const char* path, const char* text);
// Empties the open file when it is larger than 16384 bytes; returns 1.
int UtilLogFile_LimitSize(HANDLE file);
// Writes text (without terminator) at the end of the open file; the
// platform's result of the write.
BOOL UtilFile_AppendText(HANDLE file, const char* text);

// The local time source of log records; null restores GetLocalTime. For
// tests that need a fixed time.
typedef void (*UtilLogFileClock)(SYSTEMTIME* time);
void UtilLogFile_SetClock(UtilLogFileClock clock);
