// The path routines that build the places where the framework library is
// looked for: bounded joins of a directory and a file name.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "framework/framework_path.h"
#include "tests/support/test_support.h"

namespace {

std::string Repeat(char c, size_t n)
{
    return std::string(n, c);
}

// A directory of exactly n characters, not ending with a backslash.
std::string DirectoryOf(size_t n)
{
    return "C:\\" + Repeat('d', n - 3);
}

const char kCanary = '\x7f';

TEST(FrameworkPath, CombineTable)
{
    struct Row {
        const char* name;
        std::string directory;
        std::string fileName;
        int size;
        std::string expected;
    };
    const Row rows[] = {
        {"plain directory", "C:\\dir", "Tovalen.dll", 260, "C:\\dir\\Tovalen.dll"},
        {"trailing backslash gets no second one", "C:\\dir\\", "Tovalen.dll", 260, "C:\\dir\\Tovalen.dll"},
        {"root of a drive", "C:\\", "Tovalen.dll", 260, "C:\\Tovalen.dll"},
        {"drive without backslash", "C:", "Tovalen.dll", 260, "C:\\Tovalen.dll"},
        {"one leading backslash of the file name dropped", "C:\\dir", "\\Tovalen.dll", 260,
         "C:\\dir\\Tovalen.dll"},
        {"only one leading backslash dropped", "C:\\dir\\", "\\\\x.dll", 260, "C:\\dir\\\\x.dll"},
        {"directory with separator of 247 characters still fits", DirectoryOf(246), "Tovalen.dll", 260,
         DirectoryOf(246) + "\\Tovalen.dll"},
        {"directory with separator of 248 characters: name left off", DirectoryOf(247), "Tovalen.dll",
         260, DirectoryOf(247) + "\\"},
        {"directory with separator of 249 characters: name left off", DirectoryOf(248), "Tovalen.dll",
         260, DirectoryOf(248) + "\\"},
        {"258 characters: not even the separator fits", DirectoryOf(258), "Tovalen.dll", 260,
         DirectoryOf(258)},
        {"directory longer than the buffer is cut to 259", DirectoryOf(300), "Tovalen.dll", 260,
         DirectoryOf(259)},
        {"empty directory names no place", "", "Tovalen.dll", 260, ""},
        {"small buffer: the separator is bounded by the buffer too", "C:\\d", "Tovalen.dll", 6, "C:\\d"},
        {"small buffer: separator fits, name does not", "C:\\d", "Tovalen.dll", 7, "C:\\d\\"},
        {"small buffer: all fits", "C:\\d", "x", 8, "C:\\d\\x"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string buffer(static_cast<size_t>(row.size) + 16, kCanary);
        FrameworkPath_Combine(row.directory.c_str(), row.fileName.c_str(), &buffer[0], row.size);
        EXPECT_EQ(row.expected, std::string(buffer.c_str()));
        EXPECT_LE(row.expected.size(), static_cast<size_t>(row.size - 1));
        EXPECT_EQ(std::string(16, kCanary), buffer.substr(static_cast<size_t>(row.size)))
            << "written beyond the buffer";
    }
}

TEST(FrameworkPath, AppendTable)
{
    struct Row {
        const char* name;
        std::string text;
        std::string addition;
        int size;
        std::string expected;
    };
    const Row rows[] = {
        {"fits", "abc", "de", 10, "abcde"},
        {"fits with one byte to spare", "abc", "de", 7, "abcde"},
        {"exactly fills the buffer: refused", "abc", "de", 6, "abc"},
        {"too long: refused whole", "abc", "defghij", 8, "abc"},
        {"258 characters is the most in 260 bytes", Repeat('a', 257), "b", 260, Repeat('a', 257) + "b"},
        {"259 characters are refused in 260 bytes", Repeat('a', 258), "b", 260, Repeat('a', 258)},
        {"empty addition", "abc", "", 5, "abc"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string buffer(static_cast<size_t>(row.size) + 16, kCanary);
        lstrcpyA(&buffer[0], row.text.c_str());
        EXPECT_EQ(&buffer[0], FrameworkPath_Append(&buffer[0], row.addition.c_str(), row.size));
        EXPECT_EQ(row.expected, std::string(buffer.c_str()));
        EXPECT_EQ(std::string(16, kCanary), buffer.substr(static_cast<size_t>(row.size)));
    }
}

TEST(FrameworkPath, FindLastCharTable)
{
    struct Row {
        const char* name;
        std::string text;
        char character;
        int expected;  // position, -1 for none
    };
    const Row rows[] = {
        {"last of several", "C:\\a\\b", '\\', 4},
        {"first and only", "\\abc", '\\', 0},
        {"at the end", "abc\\", '\\', 3},
        {"none", "abc", '\\', -1},
        {"empty text", "", '\\', -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string text = row.text;
        char* found = FrameworkPath_FindLastChar(&text[0], row.character);
        EXPECT_EQ(row.expected, found ? static_cast<int>(found - text.c_str()) : -1);
    }
}

// Code page 932: 0x95 0x5C is one character whose trail byte is a backslash.
// CTest runs this test a second time under ja_JP.UTF-8 with
// TOVACON_EXPECT_ACP=932, where it must not be skipped.
TEST(FrameworkPathDbcs, TrailBytesAreNotSeparators)
{
    char expectAcp[16] = {};
    GetEnvironmentVariableA("TOVACON_EXPECT_ACP", expectAcp, sizeof expectAcp);
    if (GetACP() != 932) {
        ASSERT_EQ(0, lstrlenA(expectAcp)) << "code page " << GetACP() << " where 932 was expected";
        GTEST_SKIP() << "needs code page 932";
    }
    struct Row {
        const char* name;
        std::string text;
        int expected;
    };
    const Row rows[] = {
        {"trail byte at the end", "C:\\dir\\\x95\x5C", 6},
        {"trail byte in the middle", "C:\\\x95\x5C" "abc", 2},
        {"only a trail byte", "\x95\x5C", -1},
        {"real separator after a DBCS character", "\x95\x5C\\x", 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string text = row.text;
        char* found = FrameworkPath_FindLastChar(&text[0], '\\');
        EXPECT_EQ(row.expected, found ? static_cast<int>(found - text.c_str()) : -1);
    }

    struct CombineRow {
        const char* name;
        std::string directory;
        std::string expected;
    };
    const CombineRow combineRows[] = {
        {"directory ending with such a character gets its separator", "C:\\dir\\\x95\x5C",
         "C:\\dir\\\x95\x5C\\Tovalen.dll"},
        {"and a real separator after it is not doubled", "C:\\dir\\\x95\x5C\\",
         "C:\\dir\\\x95\x5C\\Tovalen.dll"},
    };
    for (const CombineRow& row : combineRows) {
        SCOPED_TRACE(row.name);
        char out[FRAMEWORK_PATH_SIZE];
        FrameworkPath_Combine(row.directory.c_str(), "Tovalen.dll", out, sizeof out);
        EXPECT_EQ(row.expected, std::string(out));
    }

    // The directory of a module in a directory whose name ends in such a character.
    test::TempDir dir;
    std::string sub = dir.Path() + "\\\x95\x5C";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    test::CopyInto(test::BinPath("Tovalen.dll"), sub, "\x95\x5C.dll");
    HMODULE module = LoadLibraryExA((sub + "\\\x95\x5C.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    ASSERT_NE(nullptr, module);
    char out[FRAMEWORK_PATH_SIZE];
    FrameworkPath_ProgramDirFile(module, "Tovalen.dll", out, sizeof out);
    FreeLibrary(module);
    EXPECT_EQ(sub + "\\Tovalen.dll", std::string(out));
}

TEST(FrameworkPath, ProgramDirFile)
{
    char out[FRAMEWORK_PATH_SIZE];
    FrameworkPath_ProgramDirFile(nullptr, "Tovalen.dll", out, sizeof out);
    EXPECT_EQ(test::ExeDir() + "\\Tovalen.dll", std::string(out)) << "the running program";

    struct Row {
        const char* name;
        std::string directory;
        std::string expected;  // empty: the directory + "\Tovalen.dll"
    };
    test::TempDir dir;
    char systemDrive[8] = "C:";
    GetEnvironmentVariableA("SystemDrive", systemDrive, sizeof systemDrive);
    const Row rows[] = {
        {"a module in a directory", dir.Path(), dir.Path() + "\\Tovalen.dll"},
        {"a module in the root of a drive", std::string(systemDrive) + "\\",
         std::string(systemDrive) + "\\Tovalen.dll"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string file = row.directory + (row.directory.back() == '\\' ? "" : "\\") +
                           "tovacon-path-test-" + std::to_string(GetCurrentProcessId()) + ".dll";
        if (!CopyFileA(test::BinPath("Tovalen.dll").c_str(), file.c_str(), FALSE)) {
            ADD_FAILURE() << "cannot place a module at " << file;
            continue;
        }
        HMODULE module = LoadLibraryExA(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        EXPECT_NE(nullptr, module);
        if (module != nullptr) {
            FrameworkPath_ProgramDirFile(module, "Tovalen.dll", out, sizeof out);
            FreeLibrary(module);
            EXPECT_EQ(row.expected, std::string(out));
        }
        DeleteFileA(file.c_str());
    }
}

}  // namespace
