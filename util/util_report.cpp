// The event reporter and its log file. The configuration is process-wide
// state owned here; this program leaves it at its defaults.
#include "util/util_report.h"

#include "util/handles.h"
#include "util/util_format.h"
#include "util/util_str.h"

namespace {

const unsigned kMessageSize = 1024;
const unsigned kHeaderSize = 260;
const DWORD kLogFileLimit = 16384;
// The line end needs two bytes, and UtilStr_Append never fills the last
// byte of its buffer: a message of more than this would lose its line end.
const unsigned kMessageRoomForLineEnd = kMessageSize - 4;

UtilReportConfig g_reportConfig = {};
UtilLogFileClock g_logFileClock = nullptr;

void AppendLastErrorText(char* message)
{
    DWORD error = GetLastError();
    char* text = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0, nullptr);
    LocalMemory owner(text);
    if (length != 0 && text != nullptr)
        UtilStr_Append(message, text, kMessageSize);
}

}  // namespace

const UtilReportConfig* UtilReport_GetConfig()
{
    return &g_reportConfig;
}

void UtilReport_SetConfig(const UtilReportConfig* config)
{
    if (config == nullptr) {
        g_reportConfig = UtilReportConfig{};
        return;
    }
    g_reportConfig = *config;
    g_reportConfig.LogFilePath[MAX_PATH - 1] = '\0';
}

int UtilReport_EventV(LONG level, const char* format, va_list args)
{
    char message[kMessageSize];
    UtilStr_FormatV(message, sizeof message, format, args);
    if (level < 0)
        AppendLastErrorText(message);

    const UtilReportConfig& config = g_reportConfig;
    if (config.Callback != nullptr)
        config.Callback(level, message, config.Context);

    // Cut a long message at a whole character so that its line end fits and
    // its record cannot run into the next one.
    message[UtilStr_LengthMax(message, kMessageRoomForLineEnd)] = '\0';
    UtilStr_Append(message, "\r\n", kMessageSize);

    DWORD categories = static_cast<DWORD>(level) & 15;
    if ((categories & config.DebuggerMask) != 0)
        OutputDebugStringA(message);
    if ((categories & config.FileMask) != 0)
        UtilLogFile_Write(level, config.LogFilePath, message);
    return 1;
}

int UtilReport_Error(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = UtilReport_EventV(2, format, args);
    va_end(args);
    return result;
}

int UtilLogFile_Write(LONG level, const char* path, const char* text)
{
    FileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return 0;
    UtilLogFile_LimitSize(file.Get());

    SYSTEMTIME now;
    if (g_logFileClock != nullptr)
        g_logFileClock(&now);
    else
        GetLocalTime(&now);
    char header[kHeaderSize];
    UtilStr_Format(header, sizeof header, "%d\t%2d:%02d %d/%02d/%04d\t", static_cast<int>(level),
                   static_cast<int>(now.wHour), static_cast<int>(now.wMinute), static_cast<int>(now.wMonth),
                   static_cast<int>(now.wDay), static_cast<int>(now.wYear));
    if (!UtilFile_AppendText(file.Get(), header))
        return 0;
    return UtilFile_AppendText(file.Get(), text) ? 1 : 0;
}

int UtilLogFile_LimitSize(HANDLE file)
{
    // An unreadable size comes back as INVALID_FILE_SIZE, which is past the
    // limit too: the log starts over.
    if (GetFileSize(file, nullptr) > kLogFileLimit) {
        SetFilePointer(file, 0, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
    }
    return 1;
}

BOOL UtilFile_AppendText(HANDLE file, const char* text)
{
    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    return WriteFile(file, text, static_cast<DWORD>(lstrlenA(text)), &written, nullptr);
}

void UtilLogFile_SetClock(UtilLogFileClock clock)
{
    g_logFileClock = clock;
}
