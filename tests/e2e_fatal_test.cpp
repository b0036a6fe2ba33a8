// The real TovaCon.exe refusing to run: no framework library, a library
// lacking an export, a library too old. The warning message box is read from
// this process, dismissed, and the exit code checked.
#include <gtest/gtest.h>

#include <stdio.h>

#include "tests/support/framework_places.h"
#include "tests/support/message_box.h"
#include "tests/support/test_support.h"

namespace {

TEST(Fatal, MessageBoxAndExitCodeOne)
{
    if (test::DefaultLibraryPresent())
        GTEST_SKIP() << "a Tovalen.dll is installed in the default directory";
    struct Row {
        const char* name;
        const char* variant;   // copied beside the program as Tovalen.dll; nullptr: none
        const char* expected;  // %s: the path of the library tried
    };
    const Row rows[] = {
        {"no library anywhere", nullptr, "Cannot load 'Tovalen.dll'"},
        {"a library lacking exports", "variants\\lacking\\Tovalen.dll",
         "Cannot get 'TovalenAboutBox' from '%s'.  The expected version of Orvane Tovalen is at least 2.40.1193."},
        {"a library of version 2.40.1192", "variants\\old\\Tovalen.dll",
         "2.40.1192 is the wrong version of Orvane Tovalen ( '%s' ).  The expected version is at least 2.40.1193.0."},
    };
    test::ScopedLocationValue noLocation;
    ASSERT_TRUE(noLocation.Ok());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempDir dir;
        test::CopyInto(test::BinPath("TovaCon.exe"), dir.Path());
        if (row.variant)
            test::CopyInto(test::BinPath(row.variant), dir.Path(), "Tovalen.dll");
        test::ScopedEnv record("TOVALEN_STANDIN_LOG", dir.File("calls.txt").c_str());
        test::Process program;
        ASSERT_TRUE(program.Start(dir.File("TovaCon.exe"), "", dir.Path()));

        test::MessageBoxSeen box;
        ASSERT_TRUE(test::WaitForMessageBox(program, 30000, &box)) << "no message box";
        char expected[1024];
        snprintf(expected, sizeof expected, row.expected, dir.File("Tovalen.dll").c_str());
        EXPECT_EQ("Orvane Tovalen", box.caption);
        EXPECT_EQ(expected, box.text);
        EXPECT_TRUE(box.hasIcon) << "a warning box shows an icon";
        EXPECT_EQ(1, box.buttons) << "OK only";
        EXPECT_EQ(nullptr, box.owner);
        EXPECT_EQ(nullptr, program.WaitForWindow("#32770", test::kConsoleTitle, 0)) << "the console appeared";
        EXPECT_TRUE(program.Running()) << "ended before the box was dismissed";

        test::DismissMessageBox(box.window);
        EXPECT_EQ(1, program.Wait(20000));
        // The process ended at once: the framework was neither initialised nor cleaned up.
        EXPECT_TRUE(test::ReadLines(dir.File("calls.txt")).empty());
    }
}

}  // namespace
