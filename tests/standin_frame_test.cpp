// The stand-in framework's location format, its frame windows and the debug
// events it reports. Rows marked for code page 932 run only there (the test
// runs a second time under a Japanese locale).
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include "framework/framework_interface.h"
#include "tests/support/test_support.h"
#include "util/handles.h"

namespace {

using FieldFn = BOOL(WINAPI*)(const char*, const char*, char*, int);
using FormatFn = BOOL(__cdecl*)(char*, int, const char*, int, ...);
using WindowFn = HWND(WINAPI*)(const FrameworkWindowInfo*);
using RegisterFn = BOOL(WINAPI*)(FrameworkDebuggerProc, LPARAM, DWORD);

class Standin : public ::testing::Test {
protected:
    void SetUp() override
    {
        library_.Reset(LoadLibraryExA(test::BinPath("Tovalen.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
        ASSERT_TRUE(library_);
        field_ = test::ProcAs<FieldFn>(library_.Get(), "TovalenGetLocationFieldValue");
        format_ = test::ProcAs<FormatFn>(library_.Get(), "TovalenFormatLocation");
        window_ = test::ProcAs<WindowFn>(library_.Get(), "DoTovalenWindowA");
        register_ = test::ProcAs<RegisterFn>(library_.Get(), "TovalenRegisterDebugger");
        ASSERT_TRUE(field_ && format_ && window_ && register_);
    }

    Module library_;
    FieldFn field_ = nullptr;
    FormatFn format_ = nullptr;
    WindowFn window_ = nullptr;
    RegisterFn register_ = nullptr;
};

// The second run states the code page it expects, so that rows for it cannot
// be skipped unnoticed.
TEST(StandinCodePage, IsTheOneExpected)
{
    char expected[16] = {};
    if (GetEnvironmentVariableA("TOVACON_EXPECT_ACP", expected, sizeof expected) == 0)
        GTEST_SKIP() << "no code page expected";
    EXPECT_EQ(static_cast<UINT>(atoi(expected)), GetACP());
}

bool RowRuns(int codePage)
{
    return codePage == 0 || static_cast<UINT>(codePage) == GetACP();
}

struct FormatCase {
    const char* name;
    int codePage;  // 0: every code page
    const char* library;
    const char* page;
    int size;
    const char* expected;
    BOOL result;
};

const FormatCase kFormatCases[] = {
    {"plain", 0, "Gamma", "Home", 520, "Gamma|ID=Home", TRUE},
    {"two empty fields", 0, "", "", 520, "|ID=", TRUE},
    {"full path", 0, "C:\\dir\\lib.dll", "Page", 520, "C:\\dir\\lib.dll|ID=Page", TRUE},
    {"separators escaped", 0, "a|b", "x=y%", 520, "a%7Cb|ID=x%3Dy%25", TRUE},
    {"cut to the buffer", 0, "Gamma", "Home", 6, "Gamma", FALSE},
    {"exactly fits", 0, "Gamma", "Home", 14, "Gamma|ID=Home", TRUE},
    {"size 1", 0, "Gamma", "Home", 1, "", FALSE},
    {"trail byte 0x7C is no separator", 932, "\x83\x7C", "\x83\x7C", 520, "\x83\x7C|ID=\x83\x7C", TRUE},
    {"a pair is never cut", 932, "a\x83\x7C", "", 3, "a", FALSE},
};

TEST_F(Standin, FormatLocationComposesAndAlwaysTerminates)
{
    for (const FormatCase& row : kFormatCases) {
        if (!RowRuns(row.codePage))
            continue;
        SCOPED_TRACE(row.name);
        char out[600];
        memset(out, 'Z', sizeof out);
        EXPECT_EQ(row.result, format_(out, row.size, row.library, 1, "ID", row.page));
        EXPECT_STREQ(row.expected, out);
        EXPECT_EQ('Z', out[row.size]) << "written past the size given";
    }
}

struct FieldCase {
    const char* name;
    int codePage;
    const char* location;
    const char* field;
    int size;
    const char* expected;
};

const FieldCase kFieldCases[] = {
    {"library", 0, "Gamma|ID=Home", nullptr, 260, "Gamma"},
    {"page", 0, "Gamma|ID=Home", "ID", 260, "Home"},
    {"field name case ignored", 0, "Gamma|ID=Home", "id", 260, "Home"},
    {"missing field", 0, "Gamma|ID=Home", "X", 260, ""},
    {"second field", 0, "Gamma|ID=Home|X=1", "X", 260, "1"},
    {"empty location, library", 0, "", nullptr, 260, ""},
    {"empty location, page", 0, "", "ID", 260, ""},
    {"not a location", 0, "|ID=x", "ID", 260, ""},
    {"field without =", 0, "Gamma|ID", "ID", 260, ""},
    {"bad escape", 0, "Gam%7ma|ID=x", nullptr, 260, ""},
    {"escapes undone", 0, "a%7Cb|ID=x%3Dy%25", nullptr, 260, "a|b"},
    {"escaped page", 0, "a%7Cb|ID=x%3Dy%25", "ID", 260, "x=y%"},
    {"cut to the buffer", 0, "Gamma|ID=Home", nullptr, 3, "Ga"},
    {"null location", 0, nullptr, "ID", 260, ""},
    {"DBCS library", 932, "\x83\x7C|ID=\x83\x7C", nullptr, 260, "\x83\x7C"},
    {"DBCS page", 932, "\x83\x7C|ID=\x83\x7C", "ID", 260, "\x83\x7C"},
    {"DBCS pair not cut", 932, "a\x83\x7C|ID=x", nullptr, 3, "a"},
};

TEST_F(Standin, GetLocationFieldValueParsesAndAlwaysTerminates)
{
    for (const FieldCase& row : kFieldCases) {
        if (!RowRuns(row.codePage))
            continue;
        SCOPED_TRACE(row.name);
        char out[300];
        memset(out, 'Z', sizeof out);
        field_(row.location, row.field, out, row.size);
        EXPECT_STREQ(row.expected, out);
        EXPECT_EQ('Z', out[row.size]) << "written past the size given";
    }
}

struct Event {
    DWORD category;
    std::string text;
};
std::vector<Event> g_events;

DWORD WINAPI CollectEvent(DWORD category, const char* text, LPARAM)
{
    g_events.push_back(Event{category, text});
    return 0;
}

std::vector<DWORD> Categories()
{
    std::vector<DWORD> categories;
    for (const Event& event : g_events)
        categories.push_back(event.category);
    return categories;
}

TEST_F(Standin, FramesReportDebugEventsAsTheyWork)
{
    register_(CollectEvent, 0, 0);
    FrameworkWindowInfo info{};
    info.size = sizeof info;
    info.show = SW_SHOWNA;

    struct Row {
        const char* name;
        const char* location;
        bool opens;
        std::vector<DWORD> categories;
    };
    const Row rows[] = {
        {"existing library", "kernel32|ID=Home", true, {FRAMEWORK_DEBUG_TRACE}},
        {"missing library file", "C:\\no\\such\\lib.dll|ID=Home", true,
         {FRAMEWORK_DEBUG_WARN, FRAMEWORK_DEBUG_TRACE}},
        {"not a location", "|ID=Home", false, {FRAMEWORK_DEBUG_FAIL}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        g_events.clear();
        info.location = row.location;
        HWND frame = window_(&info);
        EXPECT_EQ(row.opens, frame != nullptr);
        EXPECT_EQ(row.categories, Categories());
        if (frame == nullptr)
            continue;
        char className[64] = {};
        GetClassNameA(frame, className, sizeof className);
        EXPECT_STREQ("TovalenFrame", className);
        EXPECT_EQ(GetCurrentThreadId(), GetWindowThreadProcessId(frame, nullptr));

        // A location it cannot parse leaves the page as it was.
        char title[256] = {};
        GetWindowTextA(frame, title, sizeof title);
        g_events.clear();
        EXPECT_FALSE(SendMessageA(frame, FRAME_MSG_NAVIGATE, 8, reinterpret_cast<LPARAM>("Lib|broken")));
        EXPECT_EQ(std::vector<DWORD>{FRAMEWORK_DEBUG_FAIL}, Categories());
        char after[256] = {};
        GetWindowTextA(frame, after, sizeof after);
        EXPECT_STREQ(title, after);

        // Another page in the same window.
        g_events.clear();
        EXPECT_TRUE(SendMessageA(frame, FRAME_MSG_NAVIGATE, 8, reinterpret_cast<LPARAM>("kernel32|ID=About")));
        EXPECT_EQ(std::vector<DWORD>{FRAMEWORK_DEBUG_TRACE}, Categories());
        GetWindowTextA(frame, after, sizeof after);
        EXPECT_STREQ("Tovalen - kernel32 - About", after);

        SendMessageA(frame, WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(frame));
    }
    register_(nullptr, 0, 0);
}

TEST_F(Standin, RejectsAWindowRecordOfTheWrongSize)
{
    FrameworkWindowInfo info{};
    info.size = sizeof info - 4;
    info.location = "kernel32|ID=Home";
    EXPECT_EQ(nullptr, window_(&info));
    EXPECT_EQ(nullptr, window_(nullptr));
}

}  // namespace
