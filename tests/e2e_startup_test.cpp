// The real TovaCon.exe started with the stand-in framework beside it: the
// console's life from start to shutdown, and the single-instance rule.
#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>

#include "framework/framework_interface.h"
#include "tests/support/test_support.h"

namespace {

// Waits for the process to end while this thread keeps answering messages
// (the program under test may send some to this thread's windows).
long WaitPumping(test::Process& process, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;) {
        HANDLE handle = process.Handle();
        DWORD waited = MsgWaitForMultipleObjects(1, &handle, FALSE, 100, QS_ALLINPUT);
        if (waited == WAIT_OBJECT_0)
            return process.Wait(0);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (GetTickCount() - start > milliseconds)
            return -1;
    }
}

std::string ExpectedInitLine()
{
    char line[256];
    snprintf(line, sizeof line,
             "InitOrvaneTovalen size=%u version=0x022804a9 locale=0x%lx r12=0 client=CON r20=0",
             static_cast<unsigned>(sizeof(FrameworkInitInfo)), static_cast<unsigned long>(GetThreadLocale()));
    return line;
}

size_t CountLines(const std::vector<std::string>& lines, const std::string& line)
{
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

// A second console in a directory of its own, with the stand-in beside it
// and its own call record: if it loaded the framework, the record would say so.
struct SecondConsole {
    test::TempDir dir;
    test::Process process;
    SecondConsole()
    {
        test::CopyInto(test::BinPath("TovaCon.exe"), dir.Path());
        test::CopyInto(test::BinPath("Tovalen.dll"), dir.Path());
    }
    bool Start()
    {
        test::ScopedEnv record("TOVALEN_STANDIN_LOG", dir.File("calls.txt").c_str());
        return process.Start(dir.File("TovaCon.exe"), "", dir.Path());
    }
    bool LoadedTheFramework() const { return test::FileExists(dir.File("calls.txt")); }
};

TEST(Startup, ShowsTheConsoleInitialisesTheFrameworkAndCleansUpAfterCancel)
{
    test::ConsoleFixture console;
    // Arguments change nothing: the program has no options.
    HWND dialog = console.Start("--unknown /x \"quoted argument\"");
    ASSERT_NE(nullptr, dialog) << "the console dialog did not appear";
    char title[256] = {};
    GetWindowTextA(dialog, title, sizeof title);
    EXPECT_STREQ(test::kConsoleTitle, title);

    std::vector<std::string> running = console.CallRecord();
    ASSERT_FALSE(running.empty());
    EXPECT_EQ(ExpectedInitLine(), running[0]);
    EXPECT_EQ(1u, CountLines(running, running[0]));
    EXPECT_EQ(0u, CountLines(running, "CleanupOrvaneTovalen 0")) << "cleaned up while the dialog runs";

    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, console.Program().Wait(20000));
    std::vector<std::string> ended = console.CallRecord();
    ASSERT_FALSE(ended.empty());
    EXPECT_EQ(1u, CountLines(ended, "CleanupOrvaneTovalen 0"));
    EXPECT_EQ("CleanupOrvaneTovalen 0", ended.back()) << "the framework's last call";
}

TEST(Startup, SecondStartBringsTheFirstToTheFrontAndEnds)
{
    test::ConsoleFixture console;
    HWND dialog = console.Start();
    ASSERT_NE(nullptr, dialog);

    // Something else in front first.
    HWND other = CreateWindowExA(0, "STATIC", "in front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, other);
    SetForegroundWindow(other);
    ASSERT_EQ(other, GetForegroundWindow());

    SecondConsole second;
    ASSERT_TRUE(second.Start());
    EXPECT_EQ(0, WaitPumping(second.process, 20000));
    EXPECT_FALSE(second.LoadedTheFramework());
    EXPECT_EQ(dialog, GetForegroundWindow());
    EXPECT_TRUE(console.Program().Running()) << "the first console ended";
    EXPECT_TRUE(IsWindow(dialog));
    DestroyWindow(other);

    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, console.Program().Wait(20000));
}

TEST(Startup, AMinimisedConsoleIsNotRestored)
{
    test::ConsoleFixture console;
    HWND dialog = console.Start();
    ASSERT_NE(nullptr, dialog);
    ShowWindow(dialog, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(dialog));

    SecondConsole second;
    ASSERT_TRUE(second.Start());
    EXPECT_EQ(0, WaitPumping(second.process, 20000));
    EXPECT_FALSE(second.LoadedTheFramework());
    EXPECT_TRUE(IsIconic(dialog)) << "the running console was restored";
    EXPECT_TRUE(console.Program().Running());

    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, console.Program().Wait(20000));
}

TEST(Startup, AnyDialogWithTheTitleStopsAStart)
{
    // A dialog-class window of this process, titled as the console.
    HWND impostor = CreateWindowExA(0, "#32770", test::kConsoleTitle, WS_POPUP | WS_CAPTION, 0, 0, 200, 100,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, impostor);
    SecondConsole second;
    ASSERT_TRUE(second.Start());
    EXPECT_EQ(0, WaitPumping(second.process, 20000));
    EXPECT_FALSE(second.LoadedTheFramework());
    DestroyWindow(impostor);

    // With it gone, the same program starts.
    SecondConsole third;
    ASSERT_TRUE(third.Start());
    HWND dialog = third.process.WaitForWindow("#32770", test::kConsoleTitle, 30000);
    ASSERT_NE(nullptr, dialog);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, third.process.Wait(20000));
}

TEST(Startup, InitialisationRefusedEndsQuietlyWithZero)
{
    test::ConsoleFixture console;
    test::CopyInto(test::BinPath("variants\\noinit\\Tovalen.dll"), console.Dir(), "Tovalen.dll");
    test::ScopedEnv record("TOVALEN_STANDIN_LOG", console.CallRecordPath().c_str());
    ASSERT_TRUE(console.Program().Start(console.Dir() + "\\TovaCon.exe", "", console.Dir()));
    EXPECT_EQ(nullptr, console.Program().WaitForWindow(nullptr, nullptr, 30000)) << "a window appeared";
    EXPECT_EQ(0, console.Program().Wait(20000));
    std::vector<std::string> lines = console.CallRecord();
    ASSERT_EQ(1u, lines.size()) << "called after a refused initialisation";
    EXPECT_EQ(ExpectedInitLine(), lines[0]);
}

}  // namespace
