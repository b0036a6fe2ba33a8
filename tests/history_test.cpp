// The navigation history in the console dialog: loading TovaCon.ini with
// every stopping rule, the buttons after start-up, deleting, clearing, and
// the exact file after each change.
#include <gtest/gtest.h>

#include "console/history.h"
#include "res/resource.h"
#include "tests/support/console_in_process.h"
#include "tests/support/test_support.h"

namespace {

using Entries = std::vector<std::string>;

std::string Repeat(const std::string& unit, size_t length)
{
    std::string text;
    while (text.size() < length)
        text += unit;
    text.resize(length);
    return text;
}

const std::string kLong = Repeat("0123456789abcdef", 1500);

struct LoadCase {
    const char* name;
    bool hasFile;
    std::string file;
    Entries entries;
    int selection;
    bool buttonsEnabled;
};

const LoadCase kLoadCases[] = {
    {"no file", false, "", {}, -1, false},
    {"Last 3 with keys 0 to 2", true, "[History]\r\n0=one\r\n1=two\r\n2=three\r\nLast=3\r\n",
     {"one", "two", "three"}, 0, true},
    {"Last 5 with keys 0 to 2", true, "[History]\r\n0=one\r\n1=two\r\n2=three\r\nLast=5\r\n",
     {"one", "two", "three"}, 0, true},
    {"Last 2 with keys 0 to 4", true, "[History]\r\n0=a\r\n1=b\r\n2=c\r\n3=d\r\n4=e\r\nLast=2\r\n", {"a", "b"}, 0,
     true},
    {"empty key 1", true, "[History]\r\n0=one\r\n1=\r\n2=three\r\nLast=3\r\n", {"one"}, 0, true},
    {"value over 1023 characters", true, "[History]\r\n0=" + kLong + "\r\n1=next\r\nLast=2\r\n",
     {kLong.substr(0, 1023), "next"}, 0, true},
    {"Last not a number", true, "[History]\r\n0=one\r\n1=two\r\nLast=many\r\n", {}, -1, false},
    {"no History section", true, "[Other]\r\n0=one\r\nLast=1\r\n", {}, -1, false},
    {"Last before the keys", true, "[History]\r\nLast=2\r\n0=x\r\n1=y\r\n", {"x", "y"}, 0, true},
};

TEST(History, LoadsTheFileAndSetsTheButtons)
{
    for (const LoadCase& row : kLoadCases) {
        SCOPED_TRACE(row.name);
        test::InProcessConsole console;
        if (row.hasFile)
            test::WriteFileText(console.IniPath(), row.file);
        ASSERT_NE(nullptr, console.Open());
        EXPECT_EQ(row.entries, console.Entries());
        EXPECT_EQ(row.selection, console.Selection());
        EXPECT_EQ(row.buttonsEnabled, console.Enabled(IDC_NAVIGATE));
        EXPECT_EQ(row.buttonsEnabled, console.Enabled(IDC_DELETE));
        // Loading never writes the file.
        EXPECT_EQ(row.hasFile, test::FileExists(console.IniPath()));
        if (row.hasFile) {
            EXPECT_EQ(row.file, test::ReadFileText(console.IniPath()));
        }
    }
}

TEST(History, LoadEntryReportsTheCharactersRead)
{
    test::InProcessConsole console;
    test::WriteFileText(console.IniPath(), "[History]\r\n0=abc\r\n1=\r\nLast=5\r\n");
    char buffer[8];
    EXPECT_EQ(3u, History_LoadEntry(0, buffer, sizeof buffer));
    EXPECT_STREQ("abc", buffer);
    memcpy(buffer, "garbage", 8);
    EXPECT_EQ(0u, History_LoadEntry(1, buffer, sizeof buffer)) << "empty value";
    EXPECT_STREQ("", buffer);
    memcpy(buffer, "garbage", 8);
    EXPECT_EQ(0u, History_LoadEntry(2, buffer, sizeof buffer)) << "missing key";
    EXPECT_STREQ("", buffer);
    memcpy(buffer, "garbage", 8);
    EXPECT_EQ(0u, History_LoadEntry(7, buffer, sizeof buffer)) << "beyond Last";
    EXPECT_STREQ("", buffer);
    test::WriteFileText(console.IniPath(), "[History]\r\n0=abcdefghijkl\r\nLast=1\r\n");
    EXPECT_EQ(7u, History_LoadEntry(0, buffer, sizeof buffer)) << "cut to the buffer";
    EXPECT_STREQ("abcdefg", buffer);
}

TEST(History, IniPathIsBesideTheProgram)
{
    char path[260];
    test::InProcessConsole console;
    History_GetIniPath(path, sizeof path);
    EXPECT_STREQ(console.IniPath().c_str(), path);
    memcpy(path, "garbage", 8);
    History_GetIniPath(path, 8);
    EXPECT_STREQ("", path) << "a path that does not fit is the empty text";
}

const char kThree[] = "[History]\r\n0=one\r\n1=two\r\n2=three\r\nLast=3\r\n";

TEST(History, DeletingTheMiddleEntrySelectsTheNextAndKeepsStaleKeys)
{
    test::InProcessConsole console;
    test::WriteFileText(console.IniPath(), kThree);
    ASSERT_NE(nullptr, console.Open());
    SendMessageA(console.List(), LB_SETCURSEL, 1, 0);
    console.Command(IDC_DELETE);
    EXPECT_EQ((Entries{"one", "three"}), console.Entries());
    EXPECT_EQ(1, console.Selection());
    EXPECT_EQ("[History]\r\n0=one\r\n1=three\r\n2=three\r\nLast=2\r\n", test::ReadFileText(console.IniPath()));
}

TEST(History, DeletingTheLastEntryLeavesNoSelectionAndTheButtonsEnabled)
{
    test::InProcessConsole console;
    test::WriteFileText(console.IniPath(), kThree);
    ASSERT_NE(nullptr, console.Open());
    SendMessageA(console.List(), LB_SETCURSEL, 2, 0);
    console.Command(IDC_DELETE);
    EXPECT_EQ((Entries{"one", "two"}), console.Entries());
    EXPECT_EQ(-1, console.Selection());
    EXPECT_TRUE(console.Enabled(IDC_NAVIGATE));
    EXPECT_TRUE(console.Enabled(IDC_DELETE));
    EXPECT_EQ("[History]\r\n0=one\r\n1=two\r\n2=three\r\nLast=2\r\n", test::ReadFileText(console.IniPath()));

    // With nothing selected, Delete does nothing at all.
    console.Command(IDC_DELETE);
    EXPECT_EQ((Entries{"one", "two"}), console.Entries());
    EXPECT_EQ("[History]\r\n0=one\r\n1=two\r\n2=three\r\nLast=2\r\n", test::ReadFileText(console.IniPath()));
}

TEST(History, StaleKeysAboveLastStayAfterASave)
{
    test::InProcessConsole console;
    test::WriteFileText(console.IniPath(), "[History]\r\n0=a\r\n1=b\r\n2=c\r\n3=d\r\n4=e\r\nLast=2\r\n");
    ASSERT_NE(nullptr, console.Open());
    console.Command(IDC_DELETE);  // entry 0 is selected after loading
    EXPECT_EQ((Entries{"b"}), console.Entries());
    EXPECT_EQ(0, console.Selection());
    EXPECT_EQ("[History]\r\n0=b\r\n1=b\r\n2=c\r\n3=d\r\n4=e\r\nLast=1\r\n", test::ReadFileText(console.IniPath()));
}

TEST(History, ClearCommandEmptiesTheListAndWritesOnlyLast)
{
    std::string file;
    {
        test::InProcessConsole console;
        test::WriteFileText(console.IniPath(), kThree);
        ASSERT_NE(nullptr, console.Open());
        console.Command(IDC_CLEAR_HISTORY);
        EXPECT_EQ(Entries{}, console.Entries());
        EXPECT_EQ(-1, console.Selection());
        file = test::ReadFileText(console.IniPath());
        EXPECT_EQ("[History]\r\n0=one\r\n1=two\r\n2=three\r\nLast=0\r\n", file);
    }
    // The next start finds an empty history although the keys remain.
    test::InProcessConsole next;
    test::WriteFileText(next.IniPath(), file);
    ASSERT_NE(nullptr, next.Open());
    EXPECT_EQ(Entries{}, next.Entries());
    EXPECT_FALSE(next.Enabled(IDC_NAVIGATE));
    EXPECT_FALSE(next.Enabled(IDC_DELETE));
}

TEST(History, SelectionChangeSetsNavigateAndDelete)
{
    test::InProcessConsole console;
    test::WriteFileText(console.IniPath(), kThree);
    ASSERT_NE(nullptr, console.Open());
    SendMessageA(console.List(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    console.Command(IDC_HISTORY_LIST, LBN_SELCHANGE);
    EXPECT_FALSE(console.Enabled(IDC_NAVIGATE));
    EXPECT_FALSE(console.Enabled(IDC_DELETE));
    // Other notifications leave the buttons alone.
    SendMessageA(console.List(), LB_SETCURSEL, 1, 0);
    console.Command(IDC_HISTORY_LIST, LBN_SETFOCUS);
    EXPECT_FALSE(console.Enabled(IDC_NAVIGATE));
    console.Command(IDC_HISTORY_LIST, LBN_SELCHANGE);
    EXPECT_TRUE(console.Enabled(IDC_NAVIGATE));
    EXPECT_TRUE(console.Enabled(IDC_DELETE));
}

struct AddCase {
    const char* name;
    Entries before;
    const char* reported;
    bool added;
};

const AddCase kAddCases[] = {
    {"an entry begins with it, case ignored", {"ABCDEF"}, "abc", false},
    {"equal but for case", {"one", "Lib|ID=Home"}, "LIB|id=HOME", false},
    {"it begins with an entry", {"ABC"}, "abcdef", true},
    {"an entry only contains it", {"xabc"}, "abc", true},
    {"matches entry 0 only", {"target", "other", "more"}, "TARG", false},
    {"into an empty list", {}, "first", true},
    {"empty text is not a location", {}, "", false},
};

TEST(History, AddIfAbsentFollowsThePrefixRule)
{
    for (const AddCase& row : kAddCases) {
        SCOPED_TRACE(row.name);
        test::InProcessConsole console;
        ASSERT_NE(nullptr, console.Open());
        for (const std::string& entry : row.before)
            SendMessageA(console.List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        History_AddIfAbsent(row.reported);
        Entries expected = row.before;
        if (row.added) {
            expected.push_back(row.reported);
            EXPECT_EQ(static_cast<int>(expected.size()) - 1, console.Selection());
            std::string file = "[History]\r\n";
            for (size_t i = 0; i < expected.size(); ++i)
                file += std::to_string(i) + "=" + expected[i] + "\r\n";
            file += "Last=" + std::to_string(expected.size()) + "\r\n";
            EXPECT_EQ(file, test::ReadFileText(console.IniPath()));
        } else {
            EXPECT_EQ(-1, console.Selection());
            EXPECT_FALSE(test::FileExists(console.IniPath()));
        }
        EXPECT_EQ(expected, console.Entries());
    }
}

}  // namespace
