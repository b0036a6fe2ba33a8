// The event reporter and its log file: sink selection by the level's low
// bits, the system error text of bit 31, record headers at a fixed time, the
// 16384-byte limit, and records that always end with their line end.
#include <gtest/gtest.h>

#include <cstdarg>
#include <string>
#include <vector>

#include "tests/support/code_page.h"
#include "tests/support/debug_output_monitor.h"
#include "tests/support/test_support.h"
#include "util/handles.h"
#include "util/util_report.h"

namespace {

struct Call {
    LONG level;
    std::string message;
    DWORD_PTR context;
};
std::vector<Call> g_calls;

int RecordCall(LONG level, const char* message, DWORD_PTR context)
{
    g_calls.push_back({level, message, context});
    return 0;
}

void FixedClock(SYSTEMTIME* time)
{
    *time = SYSTEMTIME{};
    time->wYear = 2026;
    time->wMonth = 7;
    time->wDay = 4;
    time->wHour = 9;
    time->wMinute = 5;
}

const char kFixedHeader[] = "\t 9:05 7/04/2026\t";

int Report(LONG level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = UtilReport_EventV(level, format, args);
    va_end(args);
    return result;
}

std::string SystemErrorText(DWORD error)
{
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                   nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0,
                   nullptr);
    LocalMemory owner(text);
    return text ? text : "";
}

class Reporter : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_calls.clear();
        UtilLogFile_SetClock(FixedClock);
    }
    void TearDown() override
    {
        UtilReportConfig defaults = {};
        UtilReport_SetConfig(&defaults);
        UtilLogFile_SetClock(nullptr);
    }
    void Configure(DWORD fileMask, DWORD debuggerMask, DWORD_PTR context = 0)
    {
        UtilReportConfig config = {};
        lstrcpynA(config.LogFilePath, LogPath().c_str(), MAX_PATH);
        config.FileMask = fileMask;
        config.DebuggerMask = debuggerMask;
        config.Callback = RecordCall;
        config.Context = context;
        UtilReport_SetConfig(&config);
    }
    std::string LogPath() const { return dir_.File("events.log"); }
    std::string LogText() const { return test::FileExists(LogPath()) ? test::ReadFileText(LogPath()) : ""; }

    test::TempDir dir_;
};

TEST(CodePage, IsTheOneThisRunExpects)
{
    UINT expected = test::ExpectedCodePage();
    if (expected == 0)
        GTEST_SKIP() << "TOVACON_EXPECT_ACP not set";
    ASSERT_EQ(expected, GetACP());
}

TEST_F(Reporter, DefaultsSwitchEverySinkOff)
{
    const UtilReportConfig* config = UtilReport_GetConfig();
    EXPECT_STREQ("", config->LogFilePath);
    EXPECT_EQ(0u, config->FileMask);
    EXPECT_EQ(0u, config->DebuggerMask);
    EXPECT_EQ(nullptr, config->Callback);
    EXPECT_EQ(0u, config->Context);

    test::DebugOutputMonitor monitor;
    ASSERT_TRUE(monitor.Ready());
    EXPECT_EQ(1, UtilReport_Error("Tovalen: Could not create key '%s'", "Settings"));
    EXPECT_EQ(1, Report(-1, "every category"));
    std::string received;
    EXPECT_FALSE(monitor.Receive(&received, 300)) << received;
}

TEST_F(Reporter, LowFourBitsSelectTheSinks)
{
    struct Row {
        LONG level;
        bool debugger;
        bool file;
    } rows[] = {
        {2, false, true},
        {4, true, false},
        {1, true, true},
        {8, false, false},
        {18, false, true},
        {0x70, false, false},
        {0x7FFFFFF4, true, false},
    };
    Configure(1 | 2, 1 | 4, 0x1234);
    for (const Row& row : rows) {
        const std::string name = "level " + std::to_string(row.level);
        DeleteFileA(LogPath().c_str());
        g_calls.clear();
        test::DebugOutputMonitor monitor;
        ASSERT_TRUE(monitor.Ready());

        EXPECT_EQ(1, Report(row.level, "event %d of %s", 7, "seven")) << name;

        ASSERT_EQ(1u, g_calls.size()) << name << ": the callback sees every event";
        EXPECT_EQ(row.level, g_calls[0].level) << name;
        EXPECT_EQ("event 7 of seven", g_calls[0].message) << name << ": without the line end";
        EXPECT_EQ(0x1234u, g_calls[0].context) << name;

        std::string received;
        bool debugged = monitor.Receive(&received, row.debugger ? 5000 : 200);
        EXPECT_EQ(row.debugger, debugged) << name;
        if (debugged) {
            EXPECT_EQ("event 7 of seven\r\n", received) << name;
        }
        std::string expectedLog = row.file ? std::to_string(row.level) + kFixedHeader + "event 7 of seven\r\n" : "";
        EXPECT_EQ(expectedLog, LogText()) << name;
    }
}

TEST_F(Reporter, BitThirtyOneAddsTheSystemErrorText)
{
    const std::string systemText = SystemErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(systemText.empty());
    Configure(2, 0);
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(1, Report(static_cast<LONG>(0x80000002u), "Could not open '%s': ", "x.ini"));

    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ(static_cast<LONG>(0x80000002u), g_calls[0].level);
    EXPECT_EQ("Could not open 'x.ini': " + systemText, g_calls[0].message);
    EXPECT_EQ(std::string("-2147483646") + kFixedHeader + "Could not open 'x.ini': " + systemText + "\r\n", LogText());

    g_calls.clear();
    SetLastError(ERROR_FILE_NOT_FOUND);
    Report(2, "no bit 31");
    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ("no bit 31", g_calls[0].message);
}

TEST_F(Reporter, ErrorShorthandReportsAtLevelTwo)
{
    Configure(0, 0);
    EXPECT_EQ(1, UtilReport_Error("Tovalen: Could not create key '%s'", "Software\\X"));
    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ(2, g_calls[0].level);
    EXPECT_EQ("Tovalen: Could not create key 'Software\\X'", g_calls[0].message);
}

TEST_F(Reporter, EveryRecordEndsWithItsLineEnd)
{
    struct Row {
        unsigned length;   // of the formatted message
        unsigned written;  // of the message in the record, before "\r\n"
    } rows[] = {{1019, 1019}, {1020, 1020}, {1021, 1020}, {1022, 1020}, {1500, 1020}};
    Configure(2, 2);
    for (const Row& row : rows) {
        const std::string name = "message of " + std::to_string(row.length) + " bytes";
        DeleteFileA(LogPath().c_str());
        g_calls.clear();
        test::DebugOutputMonitor monitor;
        ASSERT_TRUE(monitor.Ready());
        const std::string message(row.length, 'm');
        // One event at a time: the sender waits until the monitor has
        // taken the previous text.
        std::string received, next;
        Report(2, "%s", message.c_str());
        ASSERT_TRUE(monitor.Receive(&received, 5000)) << name;
        Report(2, "next");
        ASSERT_TRUE(monitor.Receive(&next, 5000)) << name;

        EXPECT_EQ(std::string(row.written, 'm') + "\r\n", received) << name;
        EXPECT_EQ("next\r\n", next) << name;
        ASSERT_EQ(2u, g_calls.size()) << name;
        EXPECT_EQ(std::min(row.length, 1023u), g_calls[0].message.size()) << name << ": the callback's text is not cut";
        const std::string header = std::string("2") + kFixedHeader;
        EXPECT_EQ(header + std::string(row.written, 'm') + "\r\n" + header + "next\r\n", LogText()) << name;
    }
}

TEST_F(Reporter, LongMessageIsCutAtAWholeCharacter)
{
    TOVACON_REQUIRE_CP932();
    struct Row {
        const char* name;
        std::string message;
        std::string written;
    } rows[] = {
        {"pair across the cut is left out", std::string(1019, 'm') + "\x82\xa0z", std::string(1019, 'm')},
        {"pair ending at the cut stays", std::string(1018, 'm') + "\x82\xa0z", std::string(1018, 'm') + "\x82\xa0"},
    };
    Configure(2, 0);
    for (const Row& row : rows) {
        DeleteFileA(LogPath().c_str());
        Report(2, "%s", row.message.c_str());
        EXPECT_EQ(std::string("2") + kFixedHeader + row.written + "\r\n", LogText()) << row.name;
    }
}

TEST_F(Reporter, LogFileIsEmptiedWhenLargerThan16384Bytes)
{
    struct Row {
        const char* name;
        size_t before;
        bool emptied;
    } rows[] = {
        {"exactly 16384 bytes grows", 16384, false},
        {"16385 bytes is emptied first", 16385, true},
        {"small file grows", 10, false},
    };
    for (const Row& row : rows) {
        const std::string old(row.before, 'o');
        test::WriteFileText(LogPath(), old);
        EXPECT_EQ(1, UtilLogFile_Write(3, LogPath().c_str(), "new\r\n")) << row.name;
        const std::string record = std::string("3") + kFixedHeader + "new\r\n";
        EXPECT_EQ(row.emptied ? record : old + record, LogText()) << row.name;
    }
}

TEST_F(Reporter, LogFileWriteFailures)
{
    const std::string missingDirectory = dir_.File("missing\\events.log");
    EXPECT_EQ(0, UtilLogFile_Write(2, missingDirectory.c_str(), "text\r\n"));
    EXPECT_FALSE(test::FileExists(missingDirectory));
    EXPECT_EQ(0, UtilLogFile_Write(2, "", "text\r\n"));

    EXPECT_EQ(1, UtilLogFile_Write(2, LogPath().c_str(), "first\r\n"));
    {
        FileHandle other(CreateFileA(LogPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(other);
        EXPECT_EQ(0, UtilLogFile_Write(2, LogPath().c_str(), "lost\r\n")) << "another writer holds the file";
    }
    EXPECT_EQ(1, UtilLogFile_Write(2, LogPath().c_str(), "third\r\n"));
    const std::string header = std::string("2") + kFixedHeader;
    EXPECT_EQ(header + "first\r\n" + header + "third\r\n", LogText());
}

TEST_F(Reporter, AppendTextWritesAtTheEnd)
{
    test::WriteFileText(LogPath(), "abc");
    FileHandle file(CreateFileA(LogPath().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN);
    EXPECT_NE(FALSE, UtilFile_AppendText(file.Get(), "def"));
    EXPECT_NE(FALSE, UtilFile_AppendText(file.Get(), ""));
    file.Reset();
    EXPECT_EQ("abcdef", LogText());
}

}  // namespace
