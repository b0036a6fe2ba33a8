// The log pane of the real program in code page 932: double-byte characters,
// including those whose trail byte is a backslash or a letter, stay whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/console_support.h"
#include "tests/support/test_support.h"

namespace {

TEST(E2eLogCp932, DoubleByteLinesStayWhole)
{
    ASSERT_EQ(932u, GetACP()) << "run with LC_ALL=ja_JP.UTF-8";
    test::DeleteSettingsValues();
    test::ConsoleFixture console;
    HWND dialog = console.Start();
    ASSERT_NE(nullptr, dialog);
    HWND list = GetDlgItem(dialog, IDC_LOG_LIST);
    HWND control = test::FindStandinControl(console.Program().Id());
    ASSERT_NE(nullptr, control);

    // "表示" (0x95 0x5C 0x8E 0xA6), "ソフト" (0x83 0x5C ...), "日本語" and a
    // trail byte that is an ASCII letter (0x83 0x41, "ア").
    const std::string hyouji = "\x95\x5C\x8E\xA6";
    const std::string soft = "\x83\x5C\x83\x74\x83\x67";
    const std::string nihongo = "\x93\xFA\x96\x7B\x8C\xEA";
    const std::string a = "\x83\x41";
    std::string text = hyouji + " " + soft + "\r\n\r\n" + nihongo + "\t" + a + "\n" + a + a;
    for (DWORD flags : {0UL, 1UL}) {
        SendMessageA(dialog, WM_COMMAND, IDM_CLEAR, 0);
        ASSERT_TRUE(test::ReportDebugEvents(control, 2, text, 1, flags));
        ASSERT_TRUE(test::WaitForStandinWorkers(control));
        ASSERT_TRUE(test::WaitForListCount(list, 3)) << "flags " << flags;
        std::vector<std::string> expected = {hyouji + " " + soft, nihongo + "\t" + a, a + a};
        EXPECT_EQ(expected, test::ListLines(list)) << "flags " << flags;
    }
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, console.Program().Wait(20000));
}

}  // namespace
