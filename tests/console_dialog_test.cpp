// The console dialog in the test program: initialisation, the command table,
// the context menu of the log list, and the style and page-id settings.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "console/console_dialog.h"
#include "console/debug_log.h"
#include "console/settings.h"
#include "res/resource.h"
#include "tests/support/console_support.h"
#include "tests/support/dialog_host.h"

namespace {

const LONG_PTR kUntouched = 12345;

// Calls the dialog procedure as the platform would and reports its return
// value and the DWLP_MSGRESULT it left.
struct ProcResult {
    INT_PTR returned;
    LONG_PTR msgResult;
};

ProcResult CallProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, kUntouched);
    INT_PTR returned = ConsoleDialogProc(dialog, message, wParam, lParam);
    return {returned, GetWindowLongPtrA(dialog, DWLP_MSGRESULT)};
}

class ConsoleDialogTest : public ::testing::Test {
protected:
    void SetUp() override { test::DeleteSettingsValues(); }
    void TearDown() override { test::DeleteSettingsValues(); }
};

TEST_F(ConsoleDialogTest, InitialisationSetsTitleIconAndDefaultChecks)
{
    test::DialogHost host;
    ASSERT_NE(nullptr, host.Dialog());
    char title[256] = {};
    GetWindowTextA(host.Dialog(), title, sizeof title);
    EXPECT_STREQ("Orvane Tovalen Console - For Internal Use Only", title);
    EXPECT_NE(0, SendMessageA(host.Dialog(), WM_GETICON, ICON_BIG, 0)) << "big icon";
    EXPECT_EQ(0, SendMessageA(host.Dialog(), WM_GETICON, ICON_SMALL, 0)) << "no small icon of its own";
    EXPECT_EQ(6u, DebugLogMask);
    EXPECT_EQ(-1, ForceStyle);
    EXPECT_EQ(0u, DisplayPageId);
    HMENU settings = host.SettingsMenu();
    EXPECT_FALSE(test::MenuChecked(settings, IDM_TRACE));
    EXPECT_TRUE(test::MenuChecked(settings, IDM_WARN));
    EXPECT_TRUE(test::MenuChecked(settings, IDM_FAIL));
    EXPECT_TRUE(test::MenuChecked(settings, IDM_STYLE_DEFAULT));
    EXPECT_FALSE(test::MenuChecked(settings, IDM_STYLE_VANTREL));
    EXPECT_FALSE(test::MenuChecked(settings, IDM_STYLE_KESTRIN));
    EXPECT_FALSE(test::MenuChecked(settings, IDM_SHOW_PAGE_ID));
}

TEST_F(ConsoleDialogTest, MessagesOutsideTheTableAreLeftToThePlatform)
{
    test::DialogHost host;
    struct Row {
        const char* name;
        UINT message;
        WPARAM wParam;
        INT_PTR expected;
    };
    const Row rows[] = {
        {"WM_NULL", WM_NULL, 0, FALSE},
        {"WM_PAINT", WM_PAINT, 0, FALSE},
        {"WM_TIMER of another timer", WM_TIMER, 77, FALSE},
        {"WM_SIZE", WM_SIZE, 0, FALSE},
    };
    for (const Row& row : rows) {
        ProcResult r = CallProc(host.Dialog(), row.message, row.wParam, 0);
        EXPECT_EQ(row.expected, r.returned) << row.name;
        EXPECT_EQ(kUntouched, r.msgResult) << row.name << ": DWLP_MSGRESULT set for an unhandled message";
    }
}

// One row per command: what the procedure returns and what the command did.
TEST_F(ConsoleDialogTest, CommandTable)
{
    struct Row {
        const char* name;
        WPARAM wParam;
        BOOL handled;
        std::function<void(test::DialogHost&)> before;
        std::function<void(test::DialogHost&, const char*)> check;
    };
    auto none = [](test::DialogHost&) {};
    auto ended = [](test::DialogHost& host, const char* name) {
        EXPECT_FALSE(IsWindowVisible(host.Dialog())) << name << ": the dialog did not end";
    };
    auto stillRunning = [](test::DialogHost& host, const char* name) {
        EXPECT_TRUE(IsWindowVisible(host.Dialog())) << name << ": the dialog ended";
    };
    auto mask = [](DWORD expected) {
        return [expected](test::DialogHost& host, const char* name) {
            EXPECT_EQ(expected, DebugLogMask) << name;
            DWORD log = 0, output = 0;
            EXPECT_TRUE(test::GetSettingsDword("DebugLog", &log)) << name;
            EXPECT_TRUE(test::GetSettingsDword("DebugOutput", &output)) << name;
            EXPECT_EQ(expected, log) << name;
            EXPECT_EQ(expected, output) << name;
            HMENU settings = host.SettingsMenu();
            EXPECT_EQ((expected & 1) != 0, test::MenuChecked(settings, IDM_TRACE)) << name;
            EXPECT_EQ((expected & 2) != 0, test::MenuChecked(settings, IDM_WARN)) << name;
            EXPECT_EQ((expected & 4) != 0, test::MenuChecked(settings, IDM_FAIL)) << name;
        };
    };
    auto style = [](LONG expected, UINT checkedItem) {
        return [expected, checkedItem](test::DialogHost& host, const char* name) {
            EXPECT_EQ(expected, ForceStyle) << name;
            DWORD stored = 0;
            EXPECT_TRUE(test::GetSettingsDword("ForceStyle", &stored)) << name;
            EXPECT_EQ(static_cast<DWORD>(expected), stored) << name;
            for (UINT item : {IDM_STYLE_DEFAULT, IDM_STYLE_VANTREL, IDM_STYLE_KESTRIN})
                EXPECT_EQ(item == checkedItem, test::MenuChecked(host.SettingsMenu(), item)) << name << " item " << item;
        };
    };
    auto addLines = [](test::DialogHost& host) {
        DebugLogMask = 7;
        ConsoleDebuggerProc(1, "one\r\ntwo\r\nthree", reinterpret_cast<LPARAM>(host.Dialog()));
        DebugLog_Flush(host.Dialog());
    };
    auto logCount = [](int expected) {
        return [expected](test::DialogHost& host, const char* name) {
            EXPECT_EQ(expected, test::ListCount(host.LogList())) << name;
        };
    };

    const Row rows[] = {
        {"IDCANCEL", IDCANCEL, TRUE, none, ended},
        {"Exit", IDM_EXIT, TRUE, none, ended},
        {"IDOK", IDOK, FALSE, none, stillRunning},
        {"list 1007 selection change", MAKEWPARAM(IDC_LOG_LIST, LBN_SELCHANGE), FALSE, none, stillRunning},
        {"list 1007 double click", MAKEWPARAM(IDC_LOG_LIST, LBN_DBLCLK), FALSE, none, stillRunning},
        {"unknown 40011", 40011, FALSE, none, stillRunning},
        {"unknown 12345", 12345, FALSE, none, stillRunning},
        {"Trace", IDM_TRACE, TRUE, none, mask(7)},
        {"Warn", IDM_WARN, TRUE, none, mask(4)},
        {"Fail", IDM_FAIL, TRUE, none, mask(2)},
        {"Trace from the high word too", MAKEWPARAM(IDM_TRACE, 1), TRUE, none, mask(7)},
        {"Copy with nothing selected", IDM_COPY, TRUE, addLines,
         [](test::DialogHost& host, const char* name) {
             EXPECT_EQ("untouched", test::ClipboardText()) << name;
             EXPECT_EQ(3, test::ListCount(host.LogList())) << name;
         }},
        {"Clear", IDM_CLEAR, TRUE, addLines, logCount(0)},
        {"Kestrin", IDM_STYLE_KESTRIN, TRUE, none, style(3, IDM_STYLE_KESTRIN)},
        {"Vantrel", IDM_STYLE_VANTREL, TRUE, none, style(2, IDM_STYLE_VANTREL)},
        {"Default style", IDM_STYLE_DEFAULT, TRUE, none, style(-1, IDM_STYLE_DEFAULT)},
        {"Show page id", IDM_SHOW_PAGE_ID, TRUE, none,
         [](test::DialogHost& host, const char* name) {
             EXPECT_EQ(1u, DisplayPageId) << name;
             DWORD stored = 0;
             EXPECT_TRUE(test::GetSettingsDword("DisplayPageId", &stored)) << name;
             EXPECT_EQ(1u, stored) << name;
             EXPECT_TRUE(test::MenuChecked(host.SettingsMenu(), IDM_SHOW_PAGE_ID)) << name;
         }},
    };
    for (const Row& row : rows) {
        test::DeleteSettingsValues();
        test::SetClipboardText("untouched");
        test::DialogHost host;
        ASSERT_NE(nullptr, host.Dialog()) << row.name;
        row.before(host);
        ProcResult r = CallProc(host.Dialog(), WM_COMMAND, row.wParam, 0);
        EXPECT_EQ(row.handled, r.returned) << row.name;
        EXPECT_EQ(row.handled ? 0 : kUntouched, r.msgResult) << row.name;
        row.check(host, row.name);
    }
}

// What the timer finds while the context menu is being tracked.
struct MenuProbe {
    bool shown = false;
    RECT rect{};
    UINT chooseItem = 0;  // 0: close the menu; n: choose the n-th item
};
MenuProbe* g_probe;

BOOL CALLBACK FindMenuWindow(HWND window, LPARAM lParam)
{
    char name[64];
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId() && IsWindowVisible(window) && GetClassNameA(window, name, sizeof name) &&
        lstrcmpA(name, "#32768") == 0) {
        *reinterpret_cast<HWND*>(lParam) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK ProbeMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND menu = nullptr;
    EnumWindows(FindMenuWindow, reinterpret_cast<LPARAM>(&menu));
    if (menu == nullptr)
        return;
    KillTimer(nullptr, timer);
    g_probe->shown = true;
    GetWindowRect(menu, &g_probe->rect);
    if (g_probe->chooseItem == 0) {
        EndMenu();
        return;
    }
    for (UINT i = 0; i < g_probe->chooseItem; ++i)
        PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(ConsoleDialogTest, ContextMenuOnlyOnTheLogListAndAtTheRequestedPosition)
{
    struct Row {
        const char* name;
        int window;  // 0 the dialog, else a control id
        int x, y;
        bool shown;
    };
    const Row rows[] = {
        {"log list, mouse", IDC_LOG_LIST, 200, 150, true},
        {"log list, keyboard (-1, -1)", IDC_LOG_LIST, -1, -1, true},
        {"history list", IDC_HISTORY_LIST, 200, 150, false},
        {"dialog background", 0, 200, 150, false},
    };
    for (const Row& row : rows) {
        test::DialogHost host;
        HWND target = row.window ? GetDlgItem(host.Dialog(), row.window) : host.Dialog();
        MenuProbe probe;
        g_probe = &probe;
        UINT_PTR timer = SetTimer(nullptr, 0, 50, ProbeMenu);
        ProcResult r = CallProc(host.Dialog(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(target),
                                MAKELPARAM(row.x, row.y));
        KillTimer(nullptr, timer);
        EXPECT_EQ(TRUE, r.returned) << row.name;
        EXPECT_EQ(0, r.msgResult) << row.name;
        EXPECT_EQ(row.shown, probe.shown) << row.name;
        if (row.shown && row.x >= 0) {
            EXPECT_EQ(row.x, probe.rect.left) << row.name;
            EXPECT_EQ(row.y, probe.rect.top) << row.name;
        }
        if (row.shown && row.x < 0) {
            // The platform keeps the menu on the screen: it opens at the corner.
            EXPECT_LE(probe.rect.left, 0) << row.name;
            EXPECT_LE(probe.rect.top, 0) << row.name;
        }
    }
}

TEST_F(ConsoleDialogTest, ContextMenuChoiceReachesTheDialogAsItsCommand)
{
    test::DialogHost host;
    DebugLogMask = 6;
    ConsoleDebuggerProc(2, "a\nb", reinterpret_cast<LPARAM>(host.Dialog()));
    DebugLog_Flush(host.Dialog());
    ASSERT_EQ(2, test::ListCount(host.LogList()));
    MenuProbe probe;
    probe.chooseItem = 2;  // C&lear
    g_probe = &probe;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, ProbeMenu);
    RECT rect;
    GetWindowRect(host.LogList(), &rect);
    CallProc(host.Dialog(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(host.LogList()),
             MAKELPARAM(rect.left + 10, rect.top + 10));
    KillTimer(nullptr, timer);
    test::PumpMessages(100);
    EXPECT_TRUE(probe.shown);
    EXPECT_EQ(0, test::ListCount(host.LogList())) << "Clear chosen from the menu did not empty the log";
}

// Stored settings and how the Settings menu shows them.
TEST_F(ConsoleDialogTest, StoredSettingsShowAsCheckMarks)
{
    struct Row {
        const char* name;
        LONG forceStyle;       // stored unless kNone
        DWORD displayPageId;   // stored unless kNone
        UINT checkedStyle;
        bool pageIdChecked;
    };
    const LONG kNone = 0x7EADBEEF;
    const Row rows[] = {
        {"nothing stored", kNone, static_cast<DWORD>(kNone), IDM_STYLE_DEFAULT, false},
        {"Kestrin", 3, 0, IDM_STYLE_KESTRIN, false},
        {"Vantrel", 2, 1, IDM_STYLE_VANTREL, true},
        {"default", -1, 0, IDM_STYLE_DEFAULT, false},
        {"unknown style 5", 5, 7, IDM_STYLE_DEFAULT, true},
    };
    for (const Row& row : rows) {
        test::DeleteSettingsValues();
        if (row.forceStyle != kNone)
            test::SetSettingsDword("ForceStyle", static_cast<DWORD>(row.forceStyle));
        if (row.displayPageId != static_cast<DWORD>(kNone))
            test::SetSettingsDword("DisplayPageId", row.displayPageId);
        ForceStyle = -1;
        DisplayPageId = 0;
        test::DialogHost host;
        for (UINT item : {IDM_STYLE_DEFAULT, IDM_STYLE_VANTREL, IDM_STYLE_KESTRIN})
            EXPECT_EQ(item == row.checkedStyle, test::MenuChecked(host.SettingsMenu(), item)) << row.name << " item " << item;
        EXPECT_EQ(row.pageIdChecked, test::MenuChecked(host.SettingsMenu(), IDM_SHOW_PAGE_ID)) << row.name;
        if (row.forceStyle != kNone) {
            EXPECT_EQ(row.forceStyle, ForceStyle) << row.name << ": the value in memory";
        }
    }
}

TEST_F(ConsoleDialogTest, UnknownStoredStyleStaysUntilTheUserChooses)
{
    test::SetSettingsDword("ForceStyle", 5);
    ForceStyle = -1;
    test::DialogHost host;
    EXPECT_EQ(5, ForceStyle);
    SendMessageA(host.Dialog(), WM_COMMAND, IDM_SHOW_PAGE_ID, 0);
    SendMessageA(host.Dialog(), WM_COMMAND, IDM_TRACE, 0);
    DWORD stored = 0;
    ASSERT_TRUE(test::GetSettingsDword("ForceStyle", &stored));
    EXPECT_EQ(5u, stored) << "other commands rewrote the style";
    SendMessageA(host.Dialog(), WM_COMMAND, IDM_STYLE_DEFAULT, 0);
    ASSERT_TRUE(test::GetSettingsDword("ForceStyle", &stored));
    EXPECT_EQ(0xFFFFFFFFu, stored);
    EXPECT_EQ(-1, ForceStyle);
}

TEST_F(ConsoleDialogTest, PageIdToggleFromAStoredSeven)
{
    test::SetSettingsDword("DisplayPageId", 7);
    DisplayPageId = 0;
    test::DialogHost host;
    EXPECT_TRUE(test::MenuChecked(host.SettingsMenu(), IDM_SHOW_PAGE_ID));
    const DWORD expected[] = {0, 1, 0};
    for (DWORD value : expected) {
        SendMessageA(host.Dialog(), WM_COMMAND, IDM_SHOW_PAGE_ID, 0);
        DWORD stored = 99;
        ASSERT_TRUE(test::GetSettingsDword("DisplayPageId", &stored));
        EXPECT_EQ(value, stored);
        EXPECT_EQ(value != 0, test::MenuChecked(host.SettingsMenu(), IDM_SHOW_PAGE_ID));
    }
}

TEST(StyleFromCommand, MapsEachCommand)
{
    struct Row {
        UINT command;
        LONG style;
    };
    const Row rows[] = {{IDM_STYLE_KESTRIN, 3}, {IDM_STYLE_VANTREL, 2}, {IDM_STYLE_DEFAULT, -1}, {0, -1}, {40010, -1}};
    for (const Row& row : rows)
        EXPECT_EQ(row.style, Style_FromCommand(row.command)) << "command " << row.command;
}

}  // namespace
