// Navigation end to end: the real TovaCon.exe with the stand-in framework
// beside it, driven from this test program as a user would drive it, with the
// program's debugger output received through the system's monitor protocol.
#include <gtest/gtest.h>

#include <stdio.h>

#include "framework/framework_interface.h"
#include "res/resource.h"
#include "tests/support/debug_output.h"
#include "tests/support/test_support.h"

namespace {

using Lines = std::vector<std::string>;

const char kSubclassing[] = "TovaCon: Subclassing frame window.\r\n";
const char kDestroyed[] = "TovaCon: Framewindow is destroyed.\r\n";

// Entries of the console's history list, read across the process boundary.
Lines ListEntries(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_HISTORY_LIST);
    Lines entries;
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0]));
        std::string text(static_cast<size_t>(length) * 2 + 1, '\0');
        int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &text[0], static_cast<int>(text.size()), nullptr,
                                    nullptr);
        text.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
        entries.push_back(text);
    }
    return entries;
}

Lines StartingWith(const Lines& lines, const std::string& prefix)
{
    Lines found;
    for (const std::string& line : lines)
        if (line.compare(0, prefix.size(), prefix) == 0)
            found.push_back(line);
    return found;
}

class Console {
public:
    explicit Console(const std::string& history)
    {
        if (!history.empty())
            test::WriteFileText(IniPath(), history);
        dialog_ = fixture_.Start();
    }
    ~Console()
    {
        if (fixture_.Program().Running()) {
            PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
            fixture_.Program().Wait(10000);
        }
    }
    HWND Dialog() const { return dialog_; }
    DWORD Id() { return fixture_.Program().Id(); }
    test::Process& Program() { return fixture_.Program(); }
    std::string IniPath() const { return fixture_.Dir() + "\\TovaCon.ini"; }
    Lines Calls(const std::string& prefix) const { return StartingWith(fixture_.CallRecord(), prefix); }
    // Waits until the call record holds count lines that start with prefix.
    bool WaitForCalls(const std::string& prefix, size_t count, DWORD milliseconds = 10000) const
    {
        for (DWORD waited = 0; Calls(prefix).size() < count; waited += 20) {
            if (waited > milliseconds)
                return false;
            Sleep(20);
        }
        return true;
    }
    // Selects entry index and sends Navigate, as a click on the button does.
    void Navigate(int index) const
    {
        SendMessageA(GetDlgItem(dialog_, IDC_HISTORY_LIST), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_NAVIGATE, BN_CLICKED), 0);
    }
    HWND Frame(DWORD milliseconds = 10000) { return fixture_.Program().WaitForWindow("TovalenFrame", nullptr, milliseconds); }

private:
    test::ConsoleFixture fixture_;
    HWND dialog_ = nullptr;
};

// Asks the stand-in's frame in the other process to show a location.
bool ShowInFrame(HWND frame, const std::string& location)
{
    COPYDATASTRUCT data{FRAME_MSG_NAVIGATE, static_cast<DWORD>(location.size() + 1),
                        const_cast<char*>(location.c_str())};
    return SendMessageA(frame, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) != 0;
}

std::string Hex(const void* pointer)
{
    char text[32];
    snprintf(text, sizeof text, "%p", pointer);
    return text;
}

const char kHistory[] = "[History]\r\n0=Alpha|ID=Home\r\n1=Beta|ID=Settings\r\nLast=2\r\n";

TEST(NavigationEndToEnd, FirstNavigateOpensTheFrameAndTheNextReusesIt)
{
    test::DebugOutputRecorder debug;
    ASSERT_TRUE(debug.Active());
    Console console(kHistory);
    ASSERT_NE(nullptr, console.Dialog());

    console.Navigate(0);
    HWND frame = console.Frame();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(console.WaitForCalls("DoTovalenWindowA", 1));
    auto instance = reinterpret_cast<void*>(GetWindowLongPtrA(console.Dialog(), GWLP_HINSTANCE));
    // The record is 44 bytes in the 32-bit program.
    EXPECT_EQ((Lines{"DoTovalenWindowA size=" + std::to_string(sizeof(FrameworkWindowInfo)) +
                     " kind=2 instance=" + Hex(instance) + " owner=" + Hex(console.Dialog()) +
                     " show=1 location=Alpha|ID=Home icon=101 r28=0 r32=0 r36=0 r40=0"}),
              console.Calls("DoTovalenWindowA"));
    EXPECT_EQ(console.Dialog(), GetWindow(frame, GW_OWNER));
    EXPECT_TRUE(debug.WaitFor(console.Id(), kSubclassing, 1, 5000));

    console.Navigate(1);
    ASSERT_TRUE(console.WaitForCalls("FRAME_MSG_NAVIGATE", 1));
    EXPECT_EQ((Lines{"FRAME_MSG_NAVIGATE wParam=8 location=Beta|ID=Settings"}), console.Calls("FRAME_MSG_NAVIGATE"));
    EXPECT_EQ(1u, console.Calls("DoTovalenWindowA").size());
    EXPECT_EQ(frame, console.Frame());
    EXPECT_EQ(1, debug.Count(console.Id(), kSubclassing));
    // Both pages were already listed: the history is as it was.
    EXPECT_EQ((Lines{"Alpha|ID=Home", "Beta|ID=Settings"}), ListEntries(console.Dialog()));
    EXPECT_EQ(kHistory, test::ReadFileText(console.IniPath()));
}

struct ReportCase {
    const char* name;
    const char* listed;
    const char* shown;
    bool added;
};

// The stand-in reports only locations it can show, so the prefix rows use
// locations of its format.
const ReportCase kReportCases[] = {
    {"shown page begins a listed entry", "LIB|ID=HOMEPAGE", "lib|ID=home", false},
    {"listed entry begins the shown page", "LIB|ID=HO", "lib|ID=home", true},
    {"equal but for case", "LIB|ID=HOME", "lib|id=home", false},
};

TEST(NavigationEndToEnd, PagesTheFrameShowsFollowThePrefixRule)
{
    for (const ReportCase& row : kReportCases) {
        SCOPED_TRACE(row.name);
        std::string history = std::string("[History]\r\n0=Alpha|ID=Home\r\n1=") + row.listed + "\r\nLast=2\r\n";
        Console console(history);
        ASSERT_NE(nullptr, console.Dialog());
        console.Navigate(0);
        HWND frame = console.Frame();
        ASSERT_NE(nullptr, frame);
        ASSERT_TRUE(ShowInFrame(frame, row.shown));
        Lines expected{"Alpha|ID=Home", row.listed};
        std::string file = history;
        if (row.added) {
            expected.push_back(row.shown);
            file = std::string("[History]\r\n0=Alpha|ID=Home\r\n1=") + row.listed + "\r\nLast=3\r\n2=" + row.shown +
                   "\r\n";
        }
        EXPECT_EQ(expected, ListEntries(console.Dialog()));
        EXPECT_EQ(file, test::ReadFileText(console.IniPath()));
        EXPECT_EQ(std::string("FRAME_MSG_LOCATION reached the frame: ") + row.shown,
                  console.Calls("FRAME_MSG_LOCATION").back());
    }
}

TEST(NavigationEndToEnd, LongReportsAreAddedUpTo1023Characters)
{
    const size_t lengths[] = {1023, 1024, 5000};
    for (size_t length : lengths) {
        SCOPED_TRACE(length);
        Console console("[History]\r\n0=Alpha|ID=Home\r\nLast=1\r\n");
        ASSERT_NE(nullptr, console.Dialog());
        console.Navigate(0);
        HWND frame = console.Frame();
        ASSERT_NE(nullptr, frame);
        std::string location = "Alpha|ID=" + std::string(length - 9, 'q');
        ASSERT_TRUE(ShowInFrame(frame, location));
        EXPECT_TRUE(console.Program().Running());
        Lines expected{"Alpha|ID=Home"};
        if (length <= 1023)
            expected.push_back(location);
        EXPECT_EQ(expected, ListEntries(console.Dialog()));
        std::string file = length <= 1023 ? "[History]\r\n0=Alpha|ID=Home\r\nLast=2\r\n1=" + location + "\r\n"
                                          : "[History]\r\n0=Alpha|ID=Home\r\nLast=1\r\n";
        EXPECT_EQ(file, test::ReadFileText(console.IniPath()));
    }
}

TEST(NavigationEndToEnd, ClosedFrameIsForgottenAndTheNextNavigateOpensANewOne)
{
    test::DebugOutputRecorder debug;
    ASSERT_TRUE(debug.Active());
    Console console(kHistory);
    ASSERT_NE(nullptr, console.Dialog());
    console.Navigate(0);
    HWND frame = console.Frame();
    ASSERT_NE(nullptr, frame);
    // The user closes the frame with its close box.
    PostMessageA(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(debug.WaitFor(console.Id(), kDestroyed, 1, 10000));
    for (int i = 0; i < 250 && IsWindow(frame); ++i)
        Sleep(20);
    EXPECT_FALSE(IsWindow(frame));

    console.Navigate(1);
    ASSERT_TRUE(console.WaitForCalls("DoTovalenWindowA", 2));
    EXPECT_NE(std::string::npos, console.Calls("DoTovalenWindowA")[1].find("location=Beta|ID=Settings"));
    EXPECT_TRUE(console.Calls("FRAME_MSG_NAVIGATE").empty());
    EXPECT_NE(nullptr, console.Frame());
    EXPECT_TRUE(debug.WaitFor(console.Id(), kSubclassing, 2, 5000));
}

TEST(NavigationEndToEnd, ExitAndEscapeCloseTheFrameBeforeTheConsoleEnds)
{
    const char* ways[] = {"Exit", "Escape"};
    for (const char* way : ways) {
        SCOPED_TRACE(way);
        Console console(kHistory);
        ASSERT_NE(nullptr, console.Dialog());
        console.Navigate(0);
        ASSERT_NE(nullptr, console.Frame());
        if (lstrcmpA(way, "Exit") == 0) {
            PostMessageA(console.Dialog(), WM_COMMAND, IDM_EXIT, 0);
        } else {
            // The key reaches the console's list, where the dialog manager
            // turns it into Cancel.
            HWND list = GetDlgItem(console.Dialog(), IDC_HISTORY_LIST);
            PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 1);
            PostMessageA(list, WM_KEYUP, VK_ESCAPE, 0xC0000001);
        }
        EXPECT_EQ(0, console.Program().Wait(20000));
        // The frame goes with its owner, the console dialog, before the
        // posted close request is handled; the request was waiting for it.
        Lines calls = console.Calls("");
        EXPECT_EQ((Lines{"frame destroyed with a pending WM_CLOSE wParam=0 lParam=0"}),
                  StartingWith(calls, "frame destroyed"));
        EXPECT_TRUE(StartingWith(calls, "cleanup closes a frame").empty());
    }
}

TEST(NavigationEndToEnd, ExitWithoutAFrameEndsWithZero)
{
    Console console(kHistory);
    ASSERT_NE(nullptr, console.Dialog());
    PostMessageA(console.Dialog(), WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(0, console.Program().Wait(20000));
    EXPECT_TRUE(console.Calls("WM_CLOSE").empty());
    EXPECT_TRUE(console.Calls("DoTovalenWindowA").empty());
    EXPECT_EQ(1u, console.Calls("CleanupOrvaneTovalen").size());
}

}  // namespace
