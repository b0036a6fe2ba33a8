// Frame window tracking inside the test process: the console dialog, the CBT
// hook on this thread and the stand-in framework's real frame windows.
#include <gtest/gtest.h>

#include "app/frame_tracker.h"
#include "app/startup.h"
#include "console/history.h"
#include "framework/framework_interface.h"
#include "res/resource.h"
#include "tests/support/console_in_process.h"
#include "tests/support/debug_output.h"
#include "tests/support/test_support.h"

namespace {

using Entries = std::vector<std::string>;

const char kSubclassing[] = "TovaCon: Subclassing frame window.\r\n";
const char kDestroyed[] = "TovaCon: Framewindow is destroyed.\r\n";

// The stand-in's call record, written beside the test program for one test.
class CallRecord {
public:
    CallRecord() : path_(test::ExeDir() + "\\calls.txt"), env_("TOVALEN_STANDIN_LOG", path_.c_str())
    {
        DeleteFileA(path_.c_str());
    }
    ~CallRecord() { DeleteFileA(path_.c_str()); }
    std::vector<std::string> Lines() const { return test::ReadLines(path_); }
    std::vector<std::string> LinesStartingWith(const std::string& prefix) const
    {
        std::vector<std::string> found;
        for (const std::string& line : Lines())
            if (line.compare(0, prefix.size(), prefix) == 0)
                found.push_back(line);
        return found;
    }

private:
    std::string path_;
    test::ScopedEnv env_;
};

std::string Hex(const void* pointer)
{
    char text[32];
    snprintf(text, sizeof text, "%p", pointer);
    return text;
}

// The record as the stand-in writes it down; its size is 44 in the 32-bit program.
std::string WindowRecord(HWND owner, const std::string& location)
{
    return "DoTovalenWindowA size=" + std::to_string(sizeof(FrameworkWindowInfo)) + " kind=2 instance=" + Hex(GetModuleHandleA(nullptr)) + " owner=" + Hex(owner) +
           " show=1 location=" + location + " icon=101 r28=0 r32=0 r36=0 r40=0";
}

void Select(test::InProcessConsole& console, const std::string& entry)
{
    LRESULT index = SendMessageA(console.List(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(entry.c_str()));
    ASSERT_NE(LB_ERR, index) << entry;
    SendMessageA(console.List(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

const char kTwo[] = "[History]\r\n0=Alpha|ID=Home\r\n1=Beta|ID=Settings\r\nLast=2\r\n";

TEST(FrameTracker, FirstNavigateOpensAFrameThatIsSubclassedOnce)
{
    test::DebugOutputRecorder monitor;
    ASSERT_TRUE(monitor.Active());
    CallRecord calls;
    test::InProcessConsole console;
    test::WriteFileText(console.IniPath(), kTwo);
    ASSERT_NE(nullptr, console.Open());

    console.Command(IDC_NAVIGATE);
    std::vector<HWND> frames = test::ThreadWindowsOfClass("TovalenFrame");
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(frames[0], g_trackedFrame);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(FrameTracker_SubclassProc), GetWindowLongPtrA(frames[0], GWLP_WNDPROC));
    EXPECT_EQ(console.Dialog(), GetWindow(frames[0], GW_OWNER));
    EXPECT_EQ((std::vector<std::string>{WindowRecord(console.Dialog(), "Alpha|ID=Home")}),
              calls.LinesStartingWith("DoTovalenWindowA"));
    EXPECT_TRUE(monitor.WaitFor(GetCurrentProcessId(), kSubclassing, 1, 5000));
    // The shown page was already in the history: nothing added, nothing saved,
    // and the report still reached the frame's own procedure.
    EXPECT_EQ((Entries{"Alpha|ID=Home", "Beta|ID=Settings"}), console.Entries());
    EXPECT_EQ(kTwo, test::ReadFileText(console.IniPath()));
    EXPECT_EQ((std::vector<std::string>{"FRAME_MSG_LOCATION reached the frame: Alpha|ID=Home"}),
              calls.LinesStartingWith("FRAME_MSG_LOCATION"));

    // The next Navigate reuses the frame.
    Select(console, "Beta|ID=Settings");
    console.Command(IDC_NAVIGATE);
    EXPECT_EQ(frames, test::ThreadWindowsOfClass("TovalenFrame"));
    EXPECT_EQ(1u, calls.LinesStartingWith("DoTovalenWindowA").size());
    EXPECT_EQ((std::vector<std::string>{"FRAME_MSG_NAVIGATE wParam=8 location=Beta|ID=Settings"}),
              calls.LinesStartingWith("FRAME_MSG_NAVIGATE"));
    console.Pump(100);
    EXPECT_EQ(1, monitor.Count(GetCurrentProcessId(), kSubclassing));
    EXPECT_EQ(0, monitor.Count(GetCurrentProcessId(), kDestroyed));
}

TEST(FrameTracker, PagesTheFrameShowsJoinTheHistory)
{
    CallRecord calls;
    test::InProcessConsole console;
    test::WriteFileText(console.IniPath(), "[History]\r\n0=Alpha|ID=Home\r\nLast=1\r\n");
    ASSERT_NE(nullptr, console.Open());
    console.Command(IDC_NAVIGATE);
    HWND frame = g_trackedFrame;
    ASSERT_NE(nullptr, frame);
    // The person clicks the frame's "Settings" link: the page is reported and added.
    HWND link = nullptr;
    for (int id = 100; id < 104 && link == nullptr; ++id) {
        char text[64] = {};
        GetDlgItemTextA(frame, id, text, sizeof text);
        if (lstrcmpA(text, "Settings") == 0)
            link = GetDlgItem(frame, id);
    }
    ASSERT_NE(nullptr, link);
    SendMessageA(link, BM_CLICK, 0, 0);
    console.Pump();
    EXPECT_EQ((Entries{"Alpha|ID=Home", "Alpha|ID=Settings"}), console.Entries());
    EXPECT_EQ(1, console.Selection());
    // Keys new to the file go to the end of the section.
    EXPECT_EQ("[History]\r\n0=Alpha|ID=Home\r\nLast=2\r\n1=Alpha|ID=Settings\r\n",
              test::ReadFileText(console.IniPath()));
}

struct ReportCase {
    const char* name;
    Entries before;
    const char* reported;
    Entries after;
};

const ReportCase kReportCases[] = {
    {"abc while ABCDEF is listed", {"X|ID=a", "ABCDEF"}, "abc", {"X|ID=a", "ABCDEF"}},
    {"abcdef while ABC is listed", {"X|ID=a", "ABC"}, "abcdef", {"X|ID=a", "ABC", "abcdef"}},
};

TEST(FrameTracker, ReportedLocationsFollowThePrefixRule)
{
    for (const ReportCase& row : kReportCases) {
        SCOPED_TRACE(row.name);
        CallRecord calls;
        test::InProcessConsole console;
        ASSERT_NE(nullptr, console.Open());
        for (const std::string& entry : row.before)
            SendMessageA(console.List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        SendMessageA(console.List(), LB_SETCURSEL, 0, 0);
        console.Command(IDC_NAVIGATE);
        ASSERT_NE(nullptr, g_trackedFrame);
        // The frame's report, as the framework sends it.
        FrameLocationReport report{};
        report.location = row.reported;
        SendMessageA(g_trackedFrame, FRAME_MSG_LOCATION, 0, reinterpret_cast<LPARAM>(&report));
        EXPECT_EQ(row.after, console.Entries());
        EXPECT_EQ(std::string("FRAME_MSG_LOCATION reached the frame: ") + row.reported,
                  calls.LinesStartingWith("FRAME_MSG_LOCATION").back());
    }
}

TEST(FrameTracker, LocationsLongerThan1023CharactersAreNotAdded)
{
    struct Row {
        size_t length;
        bool added;
    };
    const Row rows[] = {{1022, true}, {1023, true}, {1024, false}, {5000, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.length);
        CallRecord calls;
        test::InProcessConsole console;
        test::WriteFileText(console.IniPath(), "[History]\r\n0=Alpha|ID=Home\r\nLast=1\r\n");
        ASSERT_NE(nullptr, console.Open());
        console.Command(IDC_NAVIGATE);
        ASSERT_NE(nullptr, g_trackedFrame);
        std::string page(row.length - strlen("Alpha|ID="), 'p');
        std::string location = "Alpha|ID=" + page;
        ASSERT_EQ(row.length, location.size());
        // Another program asks the frame to show the long location; the frame
        // reports it as every page it shows.
        COPYDATASTRUCT data{FRAME_MSG_NAVIGATE, static_cast<DWORD>(location.size() + 1),
                            const_cast<char*>(location.c_str())};
        ASSERT_TRUE(SendMessageA(g_trackedFrame, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
        Entries expected{"Alpha|ID=Home"};
        if (row.added)
            expected.push_back(location);
        EXPECT_EQ(expected, console.Entries());
        EXPECT_EQ(row.added ? 1 : 0, console.Selection());
        std::string file = "[History]\r\n0=Alpha|ID=Home\r\n";
        file += row.added ? "Last=2\r\n1=" + location + "\r\n" : "Last=1\r\n";
        EXPECT_EQ(file, test::ReadFileText(console.IniPath()));
        // A stored entry navigates back whole.
        if (row.added) {
            console.Command(IDC_NAVIGATE);
            EXPECT_EQ("FRAME_MSG_NAVIGATE wParam=8 location=" + location.substr(0, 2000),
                      calls.LinesStartingWith("FRAME_MSG_NAVIGATE").back().substr(0, 2000 + 38));
        }
    }
}

TEST(FrameTracker, ClosedFrameIsForgottenAndTheNextNavigateOpensANewOne)
{
    test::DebugOutputRecorder monitor;
    ASSERT_TRUE(monitor.Active());
    CallRecord calls;
    test::InProcessConsole console;
    test::WriteFileText(console.IniPath(), kTwo);
    ASSERT_NE(nullptr, console.Open());
    console.Command(IDC_NAVIGATE);
    HWND first = g_trackedFrame;
    ASSERT_NE(nullptr, first);
    // The user closes the frame.
    SendMessageA(first, WM_SYSCOMMAND, SC_CLOSE, 0);
    console.Pump();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(nullptr, g_trackedFrame);
    EXPECT_TRUE(monitor.WaitFor(GetCurrentProcessId(), kDestroyed, 1, 5000));
    // Exit with no tracked frame posts nothing.
    FrameTracker_CloseFrame();

    console.Command(IDC_NAVIGATE);
    EXPECT_EQ(2u, calls.LinesStartingWith("DoTovalenWindowA").size());
    EXPECT_NE(nullptr, g_trackedFrame);
    EXPECT_TRUE(IsWindow(g_trackedFrame));
    EXPECT_TRUE(monitor.WaitFor(GetCurrentProcessId(), kSubclassing, 2, 5000));
    EXPECT_EQ(1u, calls.LinesStartingWith("WM_CLOSE").size());
}

TEST(FrameTracker, ASecondFrameIsNotTrackedNotEvenAfterTheFirstCloses)
{
    test::DebugOutputRecorder monitor;
    ASSERT_TRUE(monitor.Active());
    CallRecord calls;
    test::InProcessConsole console;
    ASSERT_NE(nullptr, console.Open());
    FrameTracker_Navigate(console.Dialog(), "One|ID=Home");
    HWND first = g_trackedFrame;
    ASSERT_NE(nullptr, first);
    // The framework opens another frame on its own while the first is tracked.
    FrameworkWindowInfo info{};
    info.size = sizeof info;
    info.location = "Two|ID=Home";
    HWND second = DoTovalenWindowA(&info);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(first, g_trackedFrame);
    EXPECT_NE(reinterpret_cast<LONG_PTR>(FrameTracker_SubclassProc), GetWindowLongPtrA(second, GWLP_WNDPROC));
    // Its pages do not join the history.
    EXPECT_EQ((Entries{"One|ID=Home"}), console.Entries());
    DestroyWindow(first);
    EXPECT_EQ(nullptr, g_trackedFrame);
    // Navigate opens a third frame, which is tracked.
    FrameTracker_Navigate(console.Dialog(), "Three|ID=Home");
    EXPECT_NE(nullptr, g_trackedFrame);
    EXPECT_NE(second, g_trackedFrame);
    EXPECT_EQ((Entries{"One|ID=Home", "Three|ID=Home"}), console.Entries());
    console.Pump(100);
    EXPECT_EQ(2, monitor.Count(GetCurrentProcessId(), kSubclassing));
    EXPECT_EQ(1, monitor.Count(GetCurrentProcessId(), kDestroyed));
}

LRESULT CALLBACK PlainFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(FrameTracker, ClassNameIsComparedWithoutCase)
{
    struct Row {
        const char* className;
        bool tracked;
    };
    const Row rows[] = {{"tovalenframe", true}, {"TOVALENFRAME", true}, {"TovalenFrame2", false}, {"Tovalen", false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.className);
        test::InProcessConsole console;
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = PlainFrameProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = row.className;
        RegisterClassA(&windowClass);
        HWND window = CreateWindowExA(0, row.className, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, window);
        EXPECT_EQ(row.tracked, g_trackedFrame == window);
        EXPECT_EQ(row.tracked,
                  GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(FrameTracker_SubclassProc));
        DestroyWindow(window);
        EXPECT_EQ(nullptr, g_trackedFrame);
        UnregisterClassA(row.className, GetModuleHandleA(nullptr));
    }
}

TEST(FrameTracker, ExitAndCancelPostCloseToTheFrame)
{
    const WORD commands[] = {IDCANCEL, IDM_EXIT};
    for (WORD command : commands) {
        SCOPED_TRACE(command);
        CallRecord calls;
        test::InProcessConsole console;
        test::WriteFileText(console.IniPath(), kTwo);
        ASSERT_NE(nullptr, console.Open());
        console.Command(IDC_NAVIGATE);
        HWND frame = g_trackedFrame;
        ASSERT_NE(nullptr, frame);
        // Posted, not sent: the frame is still there when the command returns.
        SendMessageA(console.Dialog(), WM_COMMAND, command, 0);
        EXPECT_TRUE(IsWindow(frame));
        EXPECT_TRUE(calls.LinesStartingWith("WM_CLOSE").empty());
        console.Pump();
        EXPECT_FALSE(IsWindow(frame));
        EXPECT_EQ((std::vector<std::string>{"WM_CLOSE wParam=0 lParam=0"}), calls.LinesStartingWith("WM_CLOSE"));
    }
}

TEST(FrameTracker, NavigateDoesNothingWithoutASelectedText)
{
    CallRecord calls;
    test::InProcessConsole console;
    test::WriteFileText(console.IniPath(), "[History]\r\n0=Alpha|ID=Home\r\nLast=1\r\n");
    ASSERT_NE(nullptr, console.Open());
    SendMessageA(console.List(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    console.Command(IDC_NAVIGATE);
    // An empty entry, selected.
    SendMessageA(console.List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
    SendMessageA(console.List(), LB_SETCURSEL, 1, 0);
    console.Command(IDC_NAVIGATE);
    EXPECT_TRUE(calls.LinesStartingWith("DoTovalenWindowA").empty());
    EXPECT_TRUE(test::ThreadWindowsOfClass("TovalenFrame").empty());
}

TEST(FrameTracker, DoubleClickNavigatesEvenWithNavigateDisabled)
{
    CallRecord calls;
    test::InProcessConsole console;
    test::WriteFileText(console.IniPath(), kTwo);
    ASSERT_NE(nullptr, console.Open());
    EnableWindow(GetDlgItem(console.Dialog(), IDC_NAVIGATE), FALSE);
    Select(console, "Beta|ID=Settings");
    console.Command(IDC_HISTORY_LIST, LBN_DBLCLK);
    console.Pump();
    EXPECT_EQ((std::vector<std::string>{WindowRecord(console.Dialog(), "Beta|ID=Settings")}),
              calls.LinesStartingWith("DoTovalenWindowA"));
}

}  // namespace
