// Text, number and path routines: tables of cases, one row per case. Rows
// with double-byte text run where the code page is 932; the rows that show
// the same bytes are single characters run where it is 1252.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/code_page.h"
#include "util/util_path.h"
#include "util/util_str.h"

namespace {

// Hiragana A and katakana SO in code page 932; SO's trail byte is '\'.
#define HIRA_A "\x82\xa0"
#define KATA_SO "\x83\x5c"

const char kGuard = '\x7f';

// A buffer of size bytes (more when the initial text needs them) followed by
// guard bytes that must stay untouched.
class Guarded {
public:
    explicit Guarded(unsigned size, const std::string& initial = "")
        : capacity_(std::max<size_t>(size, initial.empty() ? 0 : initial.size() + 1)), bytes_(capacity_ + 16, kGuard)
    {
        std::copy(initial.begin(), initial.end(), bytes_.begin());
        if (capacity_ > initial.size())
            bytes_[initial.size()] = '\0';
    }
    char* Data() { return bytes_.data(); }
    std::string Text() const { return std::string(bytes_.data()); }
    bool GuardsIntact() const
    {
        for (size_t i = capacity_; i < bytes_.size(); ++i)
            if (bytes_[i] != kGuard)
                return false;
        return true;
    }
    char At(unsigned i) const { return bytes_[i]; }

private:
    size_t capacity_;
    std::vector<char> bytes_;
};

TEST(CodePage, IsTheOneThisRunExpects)
{
    UINT expected = test::ExpectedCodePage();
    if (expected == 0)
        GTEST_SKIP() << "TOVACON_EXPECT_ACP not set";
    ASSERT_EQ(expected, GetACP());
    EXPECT_EQ(expected == 932, IsDBCSLeadByte(0x81) != 0);
}

struct LengthCase {
    const char* name;
    const char* text;
    unsigned maximum;
    unsigned length;     // UtilStr_Length
    unsigned lengthMax;  // UtilStr_LengthMax(text, maximum)
};

void CheckLengths(const LengthCase* rows, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const LengthCase& row = rows[i];
        EXPECT_EQ(row.length, UtilStr_Length(row.text)) << row.name;
        EXPECT_EQ(row.lengthMax, UtilStr_LengthMax(row.text, row.maximum)) << row.name;
    }
}

TEST(UtilStrLength, AnyCodePage)
{
    const LengthCase rows[] = {
        {"empty", "", 5, 0, 0},
        {"maximum 0", "abc", 0, 3, 0},
        {"maximum inside", "abc", 2, 3, 2},
        {"maximum at the end", "abc", 3, 3, 3},
        {"maximum past the end", "abc", 10, 3, 3},
    };
    CheckLengths(rows, sizeof rows / sizeof rows[0]);
}

TEST(UtilStrLength, DoubleByte932)
{
    TOVACON_REQUIRE_CP932();
    const LengthCase rows[] = {
        {"pair counts two bytes", "a" HIRA_A "b", 4, 4, 4},
        {"pair at the last allowed byte is left out", "a" HIRA_A, 2, 3, 1},
        {"pair alone at the last allowed byte", HIRA_A, 1, 2, 0},
        {"pair ending at the maximum", "a" HIRA_A "b", 3, 4, 3},
        {"trail byte '\\' belongs to its pair", KATA_SO "\\", 2, 3, 2},
        {"lead byte before the terminator is one byte", "ab\x82", 4, 3, 3},
        {"lead byte before the terminator at the last allowed byte", "ab\x82", 3, 3, 2},
    };
    CheckLengths(rows, sizeof rows / sizeof rows[0]);
}

TEST(UtilStrLength, SingleByte1252)
{
    TOVACON_REQUIRE_CP1252();
    const LengthCase rows[] = {
        {"high bytes are single characters", "a" HIRA_A, 2, 3, 2},
        {"high byte at the last allowed byte counts", HIRA_A, 1, 2, 1},
    };
    CheckLengths(rows, sizeof rows / sizeof rows[0]);
}

struct CopyMaxCase {
    const char* name;
    const char* source;
    unsigned size;
    const char* expected;  // null: result null and the buffer untouched
};

void CheckCopyMax(const CopyMaxCase* rows, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const CopyMaxCase& row = rows[i];
        Guarded buffer(row.size);
        char* result = UtilStr_CopyMax(buffer.Data(), row.source, row.size);
        if (row.expected == nullptr) {
            EXPECT_EQ(nullptr, result) << row.name;
        } else {
            EXPECT_EQ(buffer.Data(), result) << row.name;
            EXPECT_EQ(row.expected, buffer.Text()) << row.name;
        }
        EXPECT_TRUE(buffer.GuardsIntact()) << row.name;
    }
}

TEST(UtilStrCopyMax, AnyCodePage)
{
    const CopyMaxCase rows[] = {
        {"size 0 writes nothing", "abc", 0, nullptr},
        {"size 1 gives empty text", "abc", 1, ""},
        {"cut to size - 1", "abcdef", 4, "abc"},
        {"fits exactly", "abc", 4, "abc"},
        {"empty source", "", 4, ""},
    };
    CheckCopyMax(rows, sizeof rows / sizeof rows[0]);
}

TEST(UtilStrCopyMax, DoubleByte932)
{
    TOVACON_REQUIRE_CP932();
    const CopyMaxCase rows[] = {
        {"pair needing the last byte is left out", "a" HIRA_A "b", 3, "a"},
        {"pair fits before the terminator", "a" HIRA_A "b", 4, "a" HIRA_A},
        {"nothing after a pair left out", HIRA_A "b", 2, ""},
        {"trail byte '\\' copied with its pair", KATA_SO "x", 4, KATA_SO "x"},
        {"lead byte before the terminator", "a\x82", 4, "a\x82"},
    };
    CheckCopyMax(rows, sizeof rows / sizeof rows[0]);
}

TEST(UtilStrCopyMax, SingleByte1252)
{
    TOVACON_REQUIRE_CP1252();
    const CopyMaxCase rows[] = {
        {"high bytes are single characters", "a" HIRA_A "b", 3, "a\x82"},
    };
    CheckCopyMax(rows, sizeof rows / sizeof rows[0]);
}

TEST(UtilStrCopy, CopiesWholeTextAndCharacters)
{
    char buffer[16];
    memset(buffer, kGuard, sizeof buffer);
    EXPECT_EQ(buffer, UtilStr_Copy(buffer, "a\x82\xa0z"));
    EXPECT_STREQ("a\x82\xa0z", buffer);
    EXPECT_EQ(kGuard, buffer[6]);

    char pair[4] = {kGuard, kGuard, kGuard, kGuard};
    int trail = UtilStr_CopyChar(pair, HIRA_A);
    EXPECT_EQ(GetACP() == 932, trail != 0);
    EXPECT_EQ('\x82', pair[0]);
    EXPECT_EQ(GetACP() == 932 ? '\xa0' : kGuard, pair[1]);
    EXPECT_EQ(kGuard, pair[2]);

    char single[3] = {kGuard, kGuard, kGuard};
    EXPECT_EQ(0, UtilStr_CopyChar(single, "\x82"));
    EXPECT_EQ('\x82', single[0]);
    EXPECT_EQ(kGuard, single[1]) << "nothing copied past a lead byte before the terminator";
}

struct AppendCase {
    const char* name;
    std::string initial;
    const char* text;
    unsigned limit;
    std::string expected;
};

void CheckAppend(const AppendCase* rows, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const AppendCase& row = rows[i];
        Guarded buffer(row.limit, row.initial);
        EXPECT_EQ(buffer.Data(), UtilStr_Append(buffer.Data(), row.text, row.limit)) << row.name;
        std::string actual = buffer.Text();
        EXPECT_EQ(row.expected.size(), actual.size()) << row.name;
        EXPECT_TRUE(row.expected == actual) << row.name;
        EXPECT_TRUE(buffer.GuardsIntact()) << row.name;
        if (row.limit > 0 && row.initial.size() + 1 < row.limit) {
            EXPECT_TRUE(actual.size() + 2 <= row.limit) << row.name << ": the last byte is never written";
        }
    }
}

TEST(UtilStrAppend, AnyCodePage)
{
    const std::string a1020(1020, 'a'), a1021(1021, 'a'), a1022(1022, 'a'), a1023(1023, 'a');
    const AppendCase rows[] = {
        {"1020 bytes take the whole line end", a1020, "\r\n", 1024, a1020 + "\r\n"},
        {"1021 bytes take only the carriage return", a1021, "\r\n", 1024, a1021 + "\r"},
        {"1022 bytes take nothing", a1022, "\r\n", 1024, a1022},
        {"1023 bytes take nothing", a1023, "\r\n", 1024, a1023},
        {"limit 0 leaves the text", "ab", "cd", 0, "ab"},
        {"text that would fill the buffer loses its last character", "ab", "cd", 5, "abc"},
        {"empty destination", "", "xyz", 8, "xyz"},
    };
    CheckAppend(rows, sizeof rows / sizeof rows[0]);
}

TEST(UtilStrAppend, DoubleByte932)
{
    TOVACON_REQUIRE_CP932();
    const AppendCase rows[] = {
        {"pair needing the byte before the last is left out", "ab", HIRA_A, 5, "ab"},
        {"pair with room", "ab", HIRA_A "c", 6, "ab" HIRA_A},
        {"destination ending in a pair", "a" HIRA_A, "bc", 7, "a" HIRA_A "bc"},
    };
    CheckAppend(rows, sizeof rows / sizeof rows[0]);
}

enum class NumRoutine { Int, UInt, Hex };

struct NumberCase {
    const char* name;
    NumRoutine routine;
    DWORD value;
    unsigned size;
    const char* expected;  // buffer text; null: untouched
    int resultOffset;      // -1: null result, else offset of the result in the buffer
};

TEST(UtilNum, Table)
{
    const NumberCase rows[] = {
        {"max unsigned in 11 bytes", NumRoutine::UInt, 4294967295u, 11, "4294967295", 0},
        {"max unsigned in 10 bytes keeps leading digits", NumRoutine::UInt, 4294967295u, 10, "429496729", -1},
        {"unsigned in 1 byte", NumRoutine::UInt, 4294967295u, 1, "", -1},
        {"unsigned in 0 bytes", NumRoutine::UInt, 4294967295u, 0, nullptr, -1},
        {"unsigned zero", NumRoutine::UInt, 0, 2, "0", 0},
        {"unsigned zero in 1 byte", NumRoutine::UInt, 0, 1, "", -1},
        {"-42 in 3 bytes", NumRoutine::Int, static_cast<DWORD>(-42), 3, "-4", -1},
        {"-42 in 4 bytes", NumRoutine::Int, static_cast<DWORD>(-42), 4, "-42", 1},
        {"most negative in 12 bytes", NumRoutine::Int, 0x80000000u, 12, "-2147483648", 1},
        {"most negative in 11 bytes", NumRoutine::Int, 0x80000000u, 11, "-214748364", -1},
        {"most positive", NumRoutine::Int, 2147483647u, 11, "2147483647", 0},
        {"negative in 2 bytes keeps the sign", NumRoutine::Int, static_cast<DWORD>(-1), 2, "-", -1},
        {"signed in 1 byte", NumRoutine::Int, 5, 1, "", -1},
        {"signed in 0 bytes", NumRoutine::Int, 5, 0, nullptr, -1},
        {"signed zero", NumRoutine::Int, 0, 2, "0", 0},
        {"hex zero", NumRoutine::Hex, 0, 2, "0", 0},
        {"hex deadbeef", NumRoutine::Hex, 3735928559u, 9, "deadbeef", 0},
        {"hex max in 8 bytes", NumRoutine::Hex, 0xFFFFFFFFu, 8, "fffffff", -1},
        {"hex no leading zeros", NumRoutine::Hex, 0x0000ABCu, 9, "abc", 0},
        {"hex in 0 bytes", NumRoutine::Hex, 1, 0, nullptr, -1},
    };
    for (const NumberCase& row : rows) {
        Guarded buffer(row.size);
        buffer.Data()[0] = kGuard;
        char* result = nullptr;
        switch (row.routine) {
        case NumRoutine::Int:
            result = UtilNum_FormatInt(static_cast<LONG>(row.value), buffer.Data(), row.size);
            break;
        case NumRoutine::UInt:
            result = UtilNum_FormatUInt(row.value, buffer.Data(), row.size);
            break;
        case NumRoutine::Hex:
            result = UtilNum_FormatHex(row.value, buffer.Data(), row.size);
            break;
        }
        if (row.resultOffset < 0) {
            EXPECT_EQ(nullptr, result) << row.name;
        } else {
            EXPECT_EQ(buffer.Data() + row.resultOffset, result) << row.name;
        }
        if (row.expected == nullptr) {
            EXPECT_EQ(kGuard, buffer.At(0)) << row.name << ": nothing written";
        } else {
            EXPECT_EQ(std::string(row.expected), buffer.Text()) << row.name;
        }
        EXPECT_TRUE(buffer.GuardsIntact()) << row.name;
    }
}

struct AddSeparatorCase {
    const char* name;
    std::string path;
    unsigned size;
    std::string expected;
    bool nullResult;
};

void CheckAddSeparator(const AddSeparatorCase* rows, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const AddSeparatorCase& row = rows[i];
        Guarded buffer(row.size, row.path);
        char* result = UtilPath_AddSeparator(buffer.Data(), row.size);
        if (row.nullResult) {
            EXPECT_EQ(nullptr, result) << row.name;
        } else {
            EXPECT_EQ(buffer.Data() + row.expected.size(), result) << row.name << ": result is the terminator";
        }
        EXPECT_EQ(row.expected, buffer.Text()) << row.name;
        EXPECT_TRUE(buffer.GuardsIntact()) << row.name;
    }
}

TEST(UtilPathAddSeparator, AnyCodePage)
{
    const std::string p258(258, 'p'), p259(259, 'p');
    const AddSeparatorCase rows[] = {
        {"empty path gets none", "", 260, "", false},
        {"ends in backslash", "dir\\", 260, "dir\\", false},
        {"ends in slash", "dir/", 260, "dir/", false},
        {"added", "dir", 260, "dir\\", false},
        {"258 bytes in 260 fill the buffer", p258, 260, p258 + "\\", false},
        {"259 bytes in 260 do not take it", p259, 260, p259, true},
        {"no room for the terminator", "dir", 4, "dir", true},
    };
    CheckAddSeparator(rows, sizeof rows / sizeof rows[0]);
}

TEST(UtilPathAddSeparator, DoubleByte932)
{
    TOVACON_REQUIRE_CP932();
    const AddSeparatorCase rows[] = {
        {"trail byte '\\' is not a separator", "dir\\" KATA_SO, 260, "dir\\" KATA_SO "\\", false},
        {"single pair", KATA_SO, 260, KATA_SO "\\", false},
    };
    CheckAddSeparator(rows, sizeof rows / sizeof rows[0]);
}

TEST(UtilPathAddSeparator, SingleByte1252)
{
    TOVACON_REQUIRE_CP1252();
    const AddSeparatorCase rows[] = {
        {"the same bytes end in a separator", "dir\\" KATA_SO, 260, "dir\\" KATA_SO, false},
    };
    CheckAddSeparator(rows, sizeof rows / sizeof rows[0]);
}

struct RemoveCase {
    const char* path;
    const char* expected;
    int result;
};

void CheckRemove(const RemoveCase* rows, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const RemoveCase& row = rows[i];
        char buffer[64];
        strcpy(buffer, row.path);
        EXPECT_EQ(row.result, UtilPath_RemoveFileName(buffer)) << "path '" << row.path << "'";
        EXPECT_STREQ(row.expected, buffer) << "path '" << row.path << "'";
    }
}

TEST(UtilPathRemoveFileName, AnyCodePage)
{
    const RemoveCase rows[] = {
        {"", "", 0},
        {"readme.txt", "", 1},
        {"dir\\file.txt", "dir", 1},
        {"D:\\dir\\file.txt", "D:\\dir", 1},
        {"D:\\file.txt", "D:\\", 1},
        {"D:file.txt", "D:", 1},
        {"D:/file.txt", "D:", 1},
        {"D:", "D:", 0},
        {"D:\\", "D:\\", 0},
        {"\\", "\\", 0},
        {"\\file.txt", "\\", 1},
        {"dir\\", "dir", 1},
        {"/file.txt", "/", 1},
        {"a/b\\c", "a/b", 1},
        {"\\\\server\\share", "\\\\server", 1},
    };
    CheckRemove(rows, sizeof rows / sizeof rows[0]);
}

TEST(UtilPathRemoveFileName, DoubleByte932)
{
    TOVACON_REQUIRE_CP932();
    const RemoveCase rows[] = {
        {"dir\\" KATA_SO, "dir", 1},
        {KATA_SO, "", 1},
        {KATA_SO "dir\\file", KATA_SO "dir", 1},
        {"D:\\" KATA_SO "\\" KATA_SO ".txt", "D:\\" KATA_SO, 1},
        {"\x83:x", "", 1},
    };
    CheckRemove(rows, sizeof rows / sizeof rows[0]);
}

TEST(UtilPathRemoveFileName, SingleByte1252)
{
    TOVACON_REQUIRE_CP1252();
    const RemoveCase rows[] = {
        {"dir\\" KATA_SO, "dir\\\x83", 1},
        {"\x83:x", "\x83:", 1},
    };
    CheckRemove(rows, sizeof rows / sizeof rows[0]);
}

struct CombineCase {
    const char* name;
    std::string path;
    unsigned size;
    const char* second;
    std::string expected;
    bool nullResult;
};

TEST(UtilPathCombine, Table)
{
    const CombineCase rows[] = {
        {"one leading separator dropped", "D:\\dir", 260, "\\file.txt", "D:\\dir\\file.txt", false},
        {"plain name", "D:\\dir", 260, "file.txt", "D:\\dir\\file.txt", false},
        {"path already ends in a separator", "D:\\dir\\", 260, "/file.txt", "D:\\dir\\file.txt", false},
        {"only one separator dropped", "D:\\dir", 260, "\\\\x", "D:\\dir\\\\x", false},
        {"empty path takes the name alone", "", 260, "file.txt", "file.txt", false},
        {"fits exactly", "ab", 6, "cd", "ab\\cd", false},
        {"one byte short keeps the separator", "D:\\dir", 8, "x", "D:\\dir\\", true},
        {"second part does not fit", "D:\\dir", 16, "file-name.txt", "D:\\dir\\", true},
        {"no room for the separator", "abc", 4, "x", "abc", true},
    };
    for (const CombineCase& row : rows) {
        Guarded buffer(row.size, row.path);
        char* result = UtilPath_Combine(buffer.Data(), row.size, row.second);
        EXPECT_EQ(row.nullResult ? nullptr : buffer.Data(), result) << row.name;
        EXPECT_EQ(row.expected, buffer.Text()) << row.name;
        EXPECT_TRUE(buffer.GuardsIntact()) << row.name;
    }
}

std::string ProgramDirectory()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text(path, length);
    return text.substr(0, text.find_last_of("\\/"));
}

TEST(UtilModule, DirectoryAndPathBesideTheProgram)
{
    const std::string directory = ProgramDirectory();
    ASSERT_FALSE(directory.empty());

    char buffer[MAX_PATH];
    ASSERT_EQ(1, UtilModule_GetDirectory(nullptr, buffer, sizeof buffer));
    EXPECT_EQ(directory, buffer);
    ASSERT_EQ(1, UtilModule_BuildPath(nullptr, "TovaCon.ini", buffer, sizeof buffer));
    EXPECT_EQ(directory + "\\TovaCon.ini", buffer);

    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    ASSERT_EQ(1, UtilModule_BuildPath(kernel, "x.ini", buffer, sizeof buffer));
    EXPECT_EQ(0, lstrcmpiA((std::string(system) + "\\x.ini").c_str(), buffer)) << buffer;
}

TEST(UtilModule, FailuresLeaveEmptyOutput)
{
    char program[MAX_PATH];
    const unsigned programLength = GetModuleFileNameA(nullptr, program, sizeof program);
    const unsigned directoryLength = static_cast<unsigned>(ProgramDirectory().size());
    const char* name = "a-file-name-longer-than-the-program-name.ini";
    const unsigned nameLength = static_cast<unsigned>(strlen(name));
    ASSERT_GT(directoryLength + 1 + nameLength, programLength + 1);
    struct Row {
        const char* name;
        unsigned size;
        int result;
    } rows[] = {
        {"program's file name does not fit", programLength, 0},
        {"directory fits, name does not", programLength + 1, 0},
        {"one byte short", directoryLength + 1 + nameLength, 0},
        {"fits exactly", directoryLength + 2 + nameLength, 1},
    };
    for (const Row& row : rows) {
        Guarded buffer(row.size);
        EXPECT_EQ(row.result, UtilModule_BuildPath(nullptr, name, buffer.Data(), row.size)) << row.name;
        EXPECT_EQ(row.result ? ProgramDirectory() + "\\" + name : "", buffer.Text()) << row.name;
        EXPECT_TRUE(buffer.GuardsIntact()) << row.name;
    }

    char untouched[4] = {kGuard, kGuard, kGuard, kGuard};
    EXPECT_EQ(0, UtilModule_GetDirectory(nullptr, untouched, 0));
    EXPECT_EQ(kGuard, untouched[0]) << "size 0";
    EXPECT_EQ(0, UtilModule_BuildPath(reinterpret_cast<HMODULE>(static_cast<INT_PTR>(0x10)), "a", untouched, 4));
    EXPECT_EQ('\0', untouched[0]) << "unknown module";
}

}  // namespace
