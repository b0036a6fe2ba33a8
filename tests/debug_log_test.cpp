// The debug log pane in the test program: the callback called directly, on
// the dialog's thread and on worker threads, the mask and its registry
// values, Copy, Clear, the bound, following the newest line, the horizontal
// extent and the batching of additions and repaints.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "console/debug_log.h"
#include "res/resource.h"
#include "tests/support/console_support.h"
#include "tests/support/dialog_host.h"

namespace {

using Lines = std::vector<std::string>;

class DebugLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::DeleteSettingsValues();
        DebugLog_SetRepaintInterval(DEBUG_LOG_REPAINT_INTERVAL);
    }
    void TearDown() override
    {
        DebugLog_SetRepaintInterval(DEBUG_LOG_REPAINT_INTERVAL);
        test::DeleteSettingsValues();
    }

    static void Event(HWND dialog, DWORD category, const char* text)
    {
        EXPECT_EQ(0u, ConsoleDebuggerProc(category, text, reinterpret_cast<LPARAM>(dialog)));
    }
};

TEST_F(DebugLogTest, EventsByMaskAndCategory)
{
    struct Row {
        const char* name;
        DWORD mask;
        DWORD category;
        const char* text;
        Lines lines;
        int beeps;
    };
    const Row rows[] = {
        {"Trace while off", 6, 1, "trace", {}, 0},
        {"Trace while on", 7, 1, "trace", {"trace"}, 0},
        {"Warn", 6, 2, "warn", {"warn"}, 1},
        {"Fail", 6, 4, "fail", {"fail"}, 1},
        {"Warn while off", 5, 2, "warn", {}, 0},
        {"category 3 passes the mask", 7, 3, "three", {}, 0},
        {"category 8 with bit 8 on", 0x0E, 8, "eight", {}, 0},
        {"category 6", 6, 6, "six", {}, 0},
        {"lines split", 6, 2, "first\r\n\r\nsecond\n", {"first", "second"}, 1},
        {"CR alone and LF alone", 6, 4, "a\rb\nc", {"a", "b", "c"}, 1},
        {"empty Fail", 6, 4, "", {}, 1},
        {"Fail of line breaks only", 6, 4, "\r\n\r\n\n\r", {}, 1},
        {"null text", 6, 2, nullptr, {}, 1},
        {"spaces and tabs kept", 7, 1, "  lead\tand trail \t\r\n\t", {"  lead\tand trail \t", "\t"}, 0},
    };
    test::DialogHost host;
    test::BeepCounter beeps;
    for (const Row& row : rows) {
        SendMessageA(host.Dialog(), WM_COMMAND, IDM_CLEAR, 0);
        beeps.Reset();
        DebugLogMask = row.mask;
        Event(host.Dialog(), row.category, row.text);
        DebugLog_Flush(host.Dialog());
        EXPECT_EQ(row.lines, host.LogLines()) << row.name;
        EXPECT_EQ(row.beeps, beeps.Count()) << row.name;
        if (row.beeps > 0) {
            EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), beeps.LastType()) << row.name;
        }
    }
}

TEST_F(DebugLogTest, MaskFromTheRegistry)
{
    struct Row {
        const char* name;
        DWORD type;
        std::vector<BYTE> data;  // nothing stored when empty
        DWORD mask;
        BOOL read;
    };
    const Row rows[] = {
        {"no value", REG_NONE, {}, 6, FALSE},
        {"DWORD 0xFF", REG_DWORD, {0xFF, 0, 0, 0}, 0xFF, TRUE},
        {"DWORD 0", REG_DWORD, {0, 0, 0, 0}, 0, TRUE},
        {"binary of two bytes", REG_BINARY, {0x07, 0x01}, 0x0107, TRUE},
        {"string \"5\"", REG_SZ, {'5', 0}, 0x35, TRUE},
        {"binary of eight bytes", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8}, 6, FALSE},
    };
    for (const Row& row : rows) {
        test::DeleteSettingsValues();
        if (!row.data.empty())
            test::SetSettingsValue("DebugLog", row.type, row.data.data(), static_cast<DWORD>(row.data.size()));
        DebugLogMask = 0x12345678;
        EXPECT_EQ(row.read, DebugLog_ReadMask()) << row.name;
        EXPECT_EQ(row.mask, DebugLogMask) << row.name;
    }
}

TEST_F(DebugLogTest, TogglesKeepForeignBitsAndWriteBothValues)
{
    test::SetSettingsDword("DebugLog", 0xFF);
    test::DialogHost host;
    ASSERT_EQ(0xFFu, DebugLogMask);
    SendMessageA(host.Dialog(), WM_COMMAND, IDM_FAIL, 0);
    DWORD log = 0, output = 0;
    ASSERT_TRUE(test::GetSettingsDword("DebugLog", &log));
    ASSERT_TRUE(test::GetSettingsDword("DebugOutput", &output));
    EXPECT_EQ(0xFBu, log);
    EXPECT_EQ(0xFBu, output);
    EXPECT_FALSE(test::MenuChecked(host.SettingsMenu(), IDM_FAIL));
    EXPECT_TRUE(test::MenuChecked(host.SettingsMenu(), IDM_TRACE));

    // Trace on: the next Trace event shows, without a beep.
    test::BeepCounter beeps;
    SendMessageA(host.Dialog(), WM_COMMAND, IDM_TRACE, 0);
    EXPECT_EQ(0xFAu, DebugLogMask);
    SendMessageA(host.Dialog(), WM_COMMAND, IDM_TRACE, 0);
    Event(host.Dialog(), 1, "shown");
    DebugLog_Flush(host.Dialog());
    EXPECT_EQ(Lines{"shown"}, host.LogLines());
    EXPECT_EQ(0, beeps.Count());
}

TEST_F(DebugLogTest, ClearKeepsMaskAndChecks)
{
    test::DialogHost host;
    DebugLogMask = 7;
    Event(host.Dialog(), 1, "a\nb");
    SendMessageA(host.Dialog(), WM_COMMAND, IDM_CLEAR, 0);
    EXPECT_EQ(0, test::ListCount(host.LogList()));
    EXPECT_EQ(7u, DebugLogMask);
    DWORD stored = 0;
    EXPECT_FALSE(test::GetSettingsDword("DebugLog", &stored)) << "Clear wrote the mask";
    EXPECT_FALSE(test::MenuChecked(host.SettingsMenu(), IDM_TRACE)) << "Clear changed the check marks";
    EXPECT_EQ(0, SendMessageA(host.LogList(), LB_GETHORIZONTALEXTENT, 0, 0));
    // Lines that were still waiting when Clear came are gone too.
    test::PumpMessages(100);
    EXPECT_EQ(0, test::ListCount(host.LogList()));
}

TEST_F(DebugLogTest, CopyTakesTheSelectedLinesInListOrder)
{
    test::DialogHost host;
    DebugLogMask = 7;
    Event(host.Dialog(), 1, "zero\none\ntwo\nthree");
    DebugLog_Flush(host.Dialog());
    HWND list = host.LogList();

    test::SetClipboardText("before");
    SendMessageA(host.Dialog(), WM_COMMAND, IDM_COPY, 0);
    EXPECT_EQ("before", test::ClipboardText()) << "Copy with no selection changed the clipboard";

    SendMessageA(list, LB_SETSEL, TRUE, 3);
    SendMessageA(list, LB_SETSEL, TRUE, 1);
    SendMessageA(host.Dialog(), WM_COMMAND, IDM_COPY, 0);
    EXPECT_EQ("one\r\nthree\r\n", test::ClipboardText());
    EXPECT_EQ(4, test::ListCount(list)) << "Copy changed the list";
    EXPECT_EQ(2, SendMessageA(list, LB_GETSELCOUNT, 0, 0)) << "Copy changed the selection";

    test::SetClipboardText("before");
    SendMessageA(list, LB_SETSEL, TRUE, 0);
    SendMessageA(list, WM_CHAR, 3, 0);  // Ctrl+C
    EXPECT_EQ("zero\r\none\r\nthree\r\n", test::ClipboardText());
}

TEST_F(DebugLogTest, FollowsTheNewestLineOnlyWhenItIsInView)
{
    test::DialogHost host;
    DebugLogMask = 7;
    HWND list = host.LogList();
    RECT client;
    GetClientRect(list, &client);
    int rows = static_cast<int>(client.bottom / SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    ASSERT_GT(rows, 0);
    for (int i = 0; i < 40; ++i)
        Event(host.Dialog(), 1, ("line " + std::to_string(i)).c_str());
    DebugLog_Flush(host.Dialog());
    EXPECT_EQ(40 - rows, SendMessageA(list, LB_GETTOPINDEX, 0, 0)) << "the newest line is not in view";

    SendMessageA(list, LB_SETTOPINDEX, 5, 0);
    Event(host.Dialog(), 1, "more\nand more");
    DebugLog_Flush(host.Dialog());
    EXPECT_EQ(5, SendMessageA(list, LB_GETTOPINDEX, 0, 0)) << "the view moved while the user read";

    SendMessageA(list, LB_SETTOPINDEX, 42 - rows, 0);
    Event(host.Dialog(), 1, "last");
    DebugLog_Flush(host.Dialog());
    EXPECT_EQ(43 - rows, SendMessageA(list, LB_GETTOPINDEX, 0, 0)) << "the view stopped following";
}

TEST_F(DebugLogTest, HorizontalExtentCoversTheWidestLine)
{
    test::DialogHost host;
    DebugLogMask = 7;
    HWND list = host.LogList();
    std::string wide(300, 'W');
    Event(host.Dialog(), 1, "short");
    Event(host.Dialog(), 1, wide.c_str());
    Event(host.Dialog(), 1, "short again");
    DebugLog_Flush(host.Dialog());

    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    LRESULT extent = SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0);
    EXPECT_GE(extent, size.cx);
    EXPECT_LE(extent, size.cx + 40) << "much wider than the widest line";
}

TEST_F(DebugLogTest, KeepsTheNewestLinesUpToTheBound)
{
    test::DialogHost host;
    DebugLogMask = 7;
    const int total = DEBUG_LOG_MAX_LINES + DEBUG_LOG_DROP_LINES + 5000;
    HWND list = host.LogList();
    bool selectedOnce = false;
    for (int i = 0; i < total; ++i) {
        Event(host.Dialog(), 1, ("line " + std::to_string(i)).c_str());
        // Select a line that the first drop keeps.
        if (!selectedOnce && i == DEBUG_LOG_MAX_LINES - 10) {
            DebugLog_Flush(host.Dialog());
            SendMessageA(list, LB_SETSEL, TRUE, DEBUG_LOG_MAX_LINES - 20);
            selectedOnce = true;
        }
    }
    DebugLog_Flush(host.Dialog());
    int count = test::ListCount(list);
    EXPECT_LE(count, DEBUG_LOG_MAX_LINES);
    EXPECT_GE(count, DEBUG_LOG_MAX_LINES - DEBUG_LOG_DROP_LINES);
    Lines lines = host.LogLines();
    ASSERT_EQ(static_cast<size_t>(count), lines.size());
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ("line " + std::to_string(total - count + i), lines[static_cast<size_t>(i)])
            << "entry " << i << ": not the newest lines in order";
    }
    std::vector<int> selected(4);
    LRESULT n = SendMessageA(list, LB_GETSELITEMS, 4, reinterpret_cast<LPARAM>(selected.data()));
    ASSERT_EQ(1, n) << "the selection of a kept line was lost";
    EXPECT_EQ("line " + std::to_string(DEBUG_LOG_MAX_LINES - 20), lines[static_cast<size_t>(selected[0])]);
}

// The same event sequences, added one line at a time with a repaint each and
// in bursts, give the same entries in the same order.
struct SequenceEvent {
    DWORD category;
    std::string text;
};

std::vector<SequenceEvent> MakeSequence(int kind)
{
    std::vector<SequenceEvent> events;
    switch (kind) {
    case 0:
        for (int i = 0; i < 1000; ++i)
            events.push_back({1, "trace " + std::to_string(i)});
        break;
    case 1:
        for (int i = 0; i < 300; ++i)
            events.push_back({static_cast<DWORD>(1 << (i % 4)), "mixed " + std::to_string(i) + "\r\nsecond of " +
                                                                    std::to_string(i)});
        break;
    case 2:
        for (int i = 0; i < 200; ++i)
            events.push_back({static_cast<DWORD>(i % 9), "\r\n\r\n" + std::string(i % 5, ' ') + "cat " +
                                                          std::to_string(i % 9) + "\n\n"});
        break;
    default:
        for (int i = 0; i < 50; ++i)
            events.push_back({4, std::string(static_cast<size_t>(i * 10), 'x') + "\n" + std::to_string(i)});
        break;
    }
    return events;
}

Lines RunSequence(const std::vector<SequenceEvent>& events, DWORD interval, bool worker, int* beeps)
{
    test::DialogHost host;
    test::BeepCounter counter;
    DebugLog_SetRepaintInterval(interval);
    DebugLogMask = 5;
    HWND dialog = host.Dialog();
    if (worker) {
        std::atomic<bool> done{false};
        std::thread thread([&] {
            for (const SequenceEvent& e : events)
                ConsoleDebuggerProc(e.category, e.text.c_str(), reinterpret_cast<LPARAM>(dialog));
            done = true;
        });
        while (!done)
            test::PumpMessages(5);
        thread.join();
    } else {
        for (const SequenceEvent& e : events)
            ConsoleDebuggerProc(e.category, e.text.c_str(), reinterpret_cast<LPARAM>(dialog));
    }
    // The last batch goes in on the timer.
    test::PumpMessages(4 * DEBUG_LOG_REPAINT_INTERVAL + 50);
    *beeps = counter.Count();
    DebugLog_SetRepaintInterval(DEBUG_LOG_REPAINT_INTERVAL);
    return host.LogLines();
}

TEST_F(DebugLogTest, BurstsListTheSameAsLineByLine)
{
    const char* names[] = {"1000 traces", "mixed categories, two lines each", "blank lines and odd categories",
                           "growing lines"};
    for (int kind = 0; kind < 4; ++kind) {
        std::vector<SequenceEvent> events = MakeSequence(kind);
        int expectedBeeps = 0, beeps = 0;
        Lines expected = RunSequence(events, 0, false, &expectedBeeps);
        ASSERT_FALSE(expected.empty()) << names[kind];
        struct Mode {
            const char* name;
            bool worker;
        };
        for (Mode mode : {Mode{"burst on the dialog's thread", false}, Mode{"burst from a worker thread", true}}) {
            Lines got = RunSequence(events, DEBUG_LOG_REPAINT_INTERVAL, mode.worker, &beeps);
            ASSERT_EQ(expected.size(), got.size()) << names[kind] << ", " << mode.name;
            for (size_t i = 0; i < expected.size(); ++i)
                ASSERT_EQ(expected[i], got[i]) << names[kind] << ", " << mode.name << ": entry " << i;
            EXPECT_EQ(expectedBeeps, beeps) << names[kind] << ", " << mode.name;
        }
    }
}

// Counts the list's paints and additions.
WNDPROC g_listProc;
std::atomic<int> g_paints;
std::atomic<int> g_adds;
int g_countAtDestroy = -1;
Lines g_linesAtDestroy;

LRESULT CALLBACK CountingListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT)
        ++g_paints;
    if (message == LB_ADDSTRING)
        ++g_adds;
    if (message == WM_DESTROY) {
        g_countAtDestroy = static_cast<int>(CallWindowProcA(g_listProc, list, LB_GETCOUNT, 0, 0));
        g_linesAtDestroy.clear();
        for (int i = 0; i < g_countAtDestroy; ++i) {
            char text[256] = {};
            CallWindowProcA(g_listProc, list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            g_linesAtDestroy.push_back(text);
        }
    }
    return CallWindowProcA(g_listProc, list, message, wParam, lParam);
}

void CountList(HWND list)
{
    g_paints = 0;
    g_adds = 0;
    g_listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingListProc)));
}

TEST_F(DebugLogTest, ALoneLineIsListedAndPaintedWithoutFurtherEvents)
{
    test::DialogHost host;
    DebugLogMask = 7;
    test::PumpMessages(100);
    CountList(host.LogList());
    Event(host.Dialog(), 1, "alone");
    DWORD start = GetTickCount();
    while ((test::ListCount(host.LogList()) == 0 || g_paints == 0) && GetTickCount() - start < 2000)
        test::PumpMessages(5);
    EXPECT_EQ(Lines{"alone"}, host.LogLines());
    EXPECT_GT(g_paints.load(), 0) << "the line was never painted";
    RECT update;
    EXPECT_FALSE(GetUpdateRect(host.LogList(), &update, FALSE)) << "still waiting to be painted";
}

TEST_F(DebugLogTest, ABurstIsNotPaintedLineByLine)
{
    test::DialogHost host;
    DebugLogMask = 7;
    test::PumpMessages(100);
    CountList(host.LogList());
    const int lines = 5000;
    for (int i = 0; i < lines; ++i)
        Event(host.Dialog(), 1, ("burst " + std::to_string(i)).c_str());
    test::PumpMessages(4 * DEBUG_LOG_REPAINT_INTERVAL + 50);
    EXPECT_EQ(lines, test::ListCount(host.LogList()));
    EXPECT_EQ(lines, g_adds.load());
    EXPECT_LT(g_paints.load(), lines / 10) << "painted about once per line";
}

TEST_F(DebugLogTest, EndingDuringABurstKeepsWhatWasAcceptedAndIgnoresTheRest)
{
    test::BeepCounter beeps;
    for (bool fromWorker : {false, true}) {
        const char* mode = fromWorker ? "worker" : "dialog thread";
        test::DialogHost host;
        DebugLogMask = 7;
        HWND dialog = host.Dialog();
        CountList(host.LogList());
        std::atomic<int> returned{0};
        std::atomic<bool> stop{false};
        std::thread thread;
        if (fromWorker) {
            thread = std::thread([&] {
                for (int i = 0; !stop; ++i) {
                    ConsoleDebuggerProc(1, ("w " + std::to_string(i)).c_str(), reinterpret_cast<LPARAM>(dialog));
                    ++returned;
                }
            });
            while (returned < 3000)
                test::PumpMessages(1);
        } else {
            for (int i = 0; i < 3000; ++i) {
                ConsoleDebuggerProc(1, ("w " + std::to_string(i)).c_str(), reinterpret_cast<LPARAM>(dialog));
                ++returned;
            }
        }
        // Ends as Cancel would, then the window goes while events may still come.
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        int accepted = returned.load();
        host.Destroy();
        for (int i = 0; i < 100; ++i)
            ConsoleDebuggerProc(2, "after the end", reinterpret_cast<LPARAM>(dialog));
        stop = true;
        if (thread.joinable())
            thread.join();
        ASSERT_GE(g_countAtDestroy, accepted) << mode << ": lines accepted before the end were lost";
        for (int i = 0; i < g_countAtDestroy; ++i)
            ASSERT_EQ("w " + std::to_string(i), g_linesAtDestroy[static_cast<size_t>(i)]) << mode << ": entry " << i;
    }
}

}  // namespace
