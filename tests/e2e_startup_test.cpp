// The real TovaCon.exe started with the stand-in framework beside it.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace {

TEST(Startup, ShowsTheConsoleAndEndsWithZeroOnCancel)
{
    test::ConsoleFixture console;
    HWND dialog = console.Start();
    ASSERT_NE(nullptr, dialog) << "the console dialog did not appear";
    char title[256] = {};
    GetWindowTextA(dialog, title, sizeof title);
    EXPECT_STREQ(test::kConsoleTitle, title);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, console.Program().Wait(20000));
}

}  // namespace
