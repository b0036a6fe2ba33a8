// The log pane of the real program: the stand-in framework reports debug
// events through the callback the console registered, from the console's
// thread and from worker threads, at a test's request.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "standin/standin_debug.h"
#include "tests/support/console_support.h"
#include "tests/support/test_support.h"

namespace {

using Lines = std::vector<std::string>;
const char kMarker[] = "-- end of row --";

class E2eLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::DeleteSettingsValues();
        dialog_ = console_.Start();
        ASSERT_NE(nullptr, dialog_) << "the console did not start";
        list_ = GetDlgItem(dialog_, IDC_LOG_LIST);
        control_ = test::FindStandinControl(console_.Program().Id());
        ASSERT_NE(nullptr, control_) << "the stand-in's control window is missing: no callback registered?";
    }
    void TearDown() override
    {
        if (console_.Program().Running()) {
            PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
            EXPECT_EQ(0, console_.Program().Wait(20000));
        }
        test::DeleteSettingsValues();
    }

    // Reports the events, then a Fail marker from the console's thread once
    // every worker has finished, and returns the entries before the marker.
    Lines Report(DWORD category, const std::string& text, DWORD flags = 0)
    {
        EXPECT_TRUE(test::ReportDebugEvents(control_, category, text, 1, flags));
        EXPECT_TRUE(test::WaitForStandinWorkers(control_));
        EXPECT_TRUE(test::ReportDebugEvents(control_, markerCategory_, kMarker));
        DWORD start = GetTickCount();
        for (;;) {
            Lines lines = test::ListLines(list_);
            if (!lines.empty() && lines.back() == kMarker) {
                lines.pop_back();
                return lines;
            }
            if (GetTickCount() - start > 10000) {
                ADD_FAILURE() << "the marker never arrived";
                return lines;
            }
            Sleep(10);
        }
    }
    void Clear() { SendMessageA(dialog_, WM_COMMAND, IDM_CLEAR, 0); }

    test::ConsoleFixture console_;
    HWND dialog_ = nullptr;
    HWND list_ = nullptr;
    HWND control_ = nullptr;
    DWORD markerCategory_ = 4;
};

TEST_F(E2eLogTest, FilteringAndSplittingFromEitherThread)
{
    struct Row {
        const char* name;
        DWORD category;
        const char* text;
        Lines lines;
    };
    const Row rows[] = {
        {"Trace with the default mask", 1, "trace", {}},
        {"Warn", 2, "warn", {"warn"}},
        {"Fail", 4, "fail", {"fail"}},
        {"category 3", 3, "three", {}},
        {"category 8", 8, "eight", {}},
        {"split", 2, "first\r\n\r\nsecond\n", {"first", "second"}},
        {"empty Fail", 4, "", {}},
        {"Fail of line breaks only", 4, "\r\n\n\r", {}},
        {"spaces and tabs", 2, " \tboth ends\t \r\n  ", {" \tboth ends\t ", "  "}},
    };
    for (DWORD flags : {0UL, static_cast<unsigned long>(STANDIN_DEBUG_ON_WORKER)}) {
        const char* thread = flags ? "worker thread" : "console's thread";
        for (const Row& row : rows) {
            Clear();
            EXPECT_EQ(row.lines, Report(row.category, row.text, flags)) << row.name << ", " << thread;
        }
    }
}

TEST_F(E2eLogTest, TogglesAndForeignBits)
{
    SendMessageA(dialog_, WM_COMMAND, IDM_TRACE, 0);
    DWORD log = 0, output = 0;
    ASSERT_TRUE(test::GetSettingsDword("DebugLog", &log));
    ASSERT_TRUE(test::GetSettingsDword("DebugOutput", &output));
    EXPECT_EQ(7u, log);
    EXPECT_EQ(7u, output);
    EXPECT_EQ(Lines{"now shown"}, Report(1, "now shown"));
    Clear();
    EXPECT_EQ(Lines{}, Report(3, "category 3 with mask 7"));

    // A mask with foreign bits read at the next start.
    PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
    ASSERT_EQ(0, console_.Program().Wait(20000));
    test::SetSettingsDword("DebugLog", 0xFF);
    dialog_ = console_.Start();
    ASSERT_NE(nullptr, dialog_);
    list_ = GetDlgItem(dialog_, IDC_LOG_LIST);
    control_ = test::FindStandinControl(console_.Program().Id());
    ASSERT_NE(nullptr, control_);
    EXPECT_EQ(Lines{}, Report(8, "category 8 with bit 8 on"));
    SendMessageA(dialog_, WM_COMMAND, IDM_FAIL, 0);
    ASSERT_TRUE(test::GetSettingsDword("DebugLog", &log));
    ASSERT_TRUE(test::GetSettingsDword("DebugOutput", &output));
    EXPECT_EQ(0xFBu, log);
    EXPECT_EQ(0xFBu, output);
    markerCategory_ = 2;
    Clear();
    EXPECT_EQ(Lines{}, Report(4, "fail while off"));
    Clear();
    EXPECT_EQ(Lines{"trace"}, Report(1, "trace"));
}

TEST_F(E2eLogTest, CopyAndClear)
{
    ASSERT_EQ((Lines{"alpha", "beta", "gamma"}), Report(2, "alpha\nbeta\ngamma"));
    test::SetClipboardText("untouched");
    SendMessageA(dialog_, WM_COMMAND, IDM_COPY, 0);
    EXPECT_EQ("untouched", test::ClipboardText()) << "Copy with nothing selected";

    SendMessageA(list_, LB_SETSEL, TRUE, 0);
    SendMessageA(list_, LB_SETSEL, TRUE, 2);
    SendMessageA(dialog_, WM_COMMAND, IDM_COPY, 0);
    EXPECT_EQ("alpha\r\ngamma\r\n", test::ClipboardText());

    test::SetClipboardText("untouched");
    SendMessageA(list_, LB_SETSEL, TRUE, 1);
    SendMessageA(list_, WM_CHAR, 3, 0);  // Ctrl+C
    EXPECT_EQ("alpha\r\nbeta\r\ngamma\r\n", test::ClipboardText());

    SendMessageA(dialog_, WM_COMMAND, IDM_CLEAR, 0);
    EXPECT_EQ(0, test::ListCount(list_));
}

TEST_F(E2eLogTest, TheBoundKeepsTheNewestLines)
{
    const DWORD total = 125000;
    ASSERT_TRUE(test::ReportDebugEvents(control_, 2, "n ", total, STANDIN_DEBUG_NUMBERED));
    ASSERT_TRUE(test::ReportDebugEvents(control_, 2, kMarker));
    DWORD start = GetTickCount();
    while (test::ListLine(list_, test::ListCount(list_) - 1) != kMarker && GetTickCount() - start < 20000)
        Sleep(20);
    int count = test::ListCount(list_);
    EXPECT_LE(count, 100000);
    EXPECT_GE(count, 80000);
    EXPECT_EQ("n " + std::to_string(total - 1), test::ListLine(list_, count - 2));
    EXPECT_EQ("n " + std::to_string(total - static_cast<DWORD>(count - 1)), test::ListLine(list_, 0));
    EXPECT_EQ("n " + std::to_string(total - static_cast<DWORD>(count - 1) + 1000), test::ListLine(list_, 1000));
}

TEST_F(E2eLogTest, FollowsTheNewestLineUnlessScrolledUp)
{
    ASSERT_TRUE(test::ReportDebugEvents(control_, 2, "line ", 100, STANDIN_DEBUG_NUMBERED));
    ASSERT_TRUE(test::WaitForListCount(list_, 100));
    RECT client;
    GetClientRect(list_, &client);
    int rows = static_cast<int>(client.bottom / SendMessageA(list_, LB_GETITEMHEIGHT, 0, 0));
    DWORD start = GetTickCount();
    while (SendMessageA(list_, LB_GETTOPINDEX, 0, 0) != 100 - rows && GetTickCount() - start < 5000)
        Sleep(10);
    EXPECT_EQ(100 - rows, SendMessageA(list_, LB_GETTOPINDEX, 0, 0)) << "not following";

    SendMessageA(list_, LB_SETTOPINDEX, 10, 0);
    ASSERT_TRUE(test::ReportDebugEvents(control_, 2, "more ", 50, STANDIN_DEBUG_NUMBERED | STANDIN_DEBUG_ON_WORKER));
    ASSERT_TRUE(test::WaitForListCount(list_, 150));
    Sleep(200);
    EXPECT_EQ(10, SendMessageA(list_, LB_GETTOPINDEX, 0, 0)) << "the view moved while scrolled up";
}

TEST_F(E2eLogTest, EndingDuringAFloodFromAWorker)
{
    ASSERT_TRUE(test::ReportDebugEvents(control_, 2, "flood ", 1000000,
                                        STANDIN_DEBUG_NUMBERED | STANDIN_DEBUG_ON_WORKER));
    DWORD start = GetTickCount();
    while (test::ListCount(list_) < 2000 && GetTickCount() - start < 20000)
        Sleep(10);
    ASSERT_GE(test::ListCount(list_), 2000);
    // The dialog still answers during the flood, and Exit works at once.
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result));
    PostMessageA(dialog_, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(0, console_.Program().Wait(20000));
}

}  // namespace
