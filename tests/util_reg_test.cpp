// Registry value helpers, under a test key of their own that is removed
// afterwards: each type and size of stored value, a null subkey, creation of
// missing keys, and a key that cannot be created.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/handles.h"
#include "util/util_reg.h"
#include "util/util_report.h"

namespace {

std::vector<std::string> g_reports;

int RecordReport(LONG level, const char* message, DWORD_PTR)
{
    g_reports.push_back(std::to_string(level) + " " + message);
    return 0;
}

class Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = "Software\\TovaConTest\\UtilReg" + std::to_string(GetCurrentProcessId());
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0,
                                                 KEY_READ | KEY_WRITE, nullptr, key_.Put(), nullptr));
        g_reports.clear();
        UtilReportConfig config = {};
        config.Callback = RecordReport;
        UtilReport_SetConfig(&config);
    }
    void TearDown() override
    {
        UtilReportConfig defaults = {};
        UtilReport_SetConfig(&defaults);
        key_.Reset();
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TovaConTest");
    }
    void Store(const char* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key_.Get(), name, 0, type, static_cast<const BYTE*>(data), size));
    }

    std::string path_;
    RegKey key_;
};

const DWORD kUntouched = 0xAAAAAAAAu;

TEST_F(Registry, ReadEachTypeAndSize)
{
    const DWORD dword = 0x12345678u;
    const BYTE binary4[] = {1, 2, 3, 4};
    const BYTE binary6[] = {1, 2, 3, 4, 5, 6};
    const ULONGLONG qword = 7;
    const BYTE binary2[] = {0x11, 0x22};
    Store("Dword", REG_DWORD, &dword, 4);
    Store("Text5", REG_SZ, "5", 2);
    Store("Binary4", REG_BINARY, binary4, 4);
    Store("Binary6", REG_BINARY, binary6, 6);
    Store("Binary2", REG_BINARY, binary2, 2);
    Store("Qword", REG_QWORD, &qword, 8);
    Store("BigEndian", REG_DWORD_BIG_ENDIAN, &dword, 4);

    struct Row {
        const char* name;
        const char* value;
        LONG status;
        bool checkDestination;
        DWORD destination;
    } rows[] = {
        {"REG_DWORD", "Dword", ERROR_SUCCESS, true, 0x12345678u},
        {"REG_SZ \"5\" overwrites two bytes", "Text5", ERROR_CANTREAD, true, 0xAAAA0035u},
        {"REG_BINARY of 4 bytes overwrites all four", "Binary4", ERROR_CANTREAD, true, 0x04030201u},
        {"REG_BINARY of 2 bytes", "Binary2", ERROR_CANTREAD, true, 0xAAAA2211u},
        {"REG_DWORD_BIG_ENDIAN is another type", "BigEndian", ERROR_CANTREAD, true, 0x12345678u},
        {"REG_BINARY of 6 bytes is too long", "Binary6", ERROR_MORE_DATA, false, 0},
        {"REG_QWORD is too long", "Qword", ERROR_MORE_DATA, false, 0},
        {"missing value", "Missing", ERROR_FILE_NOT_FOUND, true, kUntouched},
    };
    for (const Row& row : rows) {
        DWORD destination = kUntouched;
        EXPECT_EQ(row.status, UtilReg_ReadDword(HKEY_CURRENT_USER, path_.c_str(), row.value, &destination)) << row.name;
        if (row.checkDestination) {
            EXPECT_EQ(row.destination, destination) << row.name;
        }
    }

    DWORD destination = kUntouched;
    const std::string missingKey = path_ + "\\Missing";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, UtilReg_ReadDword(HKEY_CURRENT_USER, missingKey.c_str(), "Dword", &destination));
    EXPECT_EQ(kUntouched, destination) << "missing key";
}

TEST_F(Registry, NullSubkeyWorksOnTheRootAndLeavesItOpen)
{
    EXPECT_EQ(ERROR_SUCCESS, UtilReg_WriteDword(key_.Get(), nullptr, "Direct", 42));
    DWORD value = 0;
    EXPECT_EQ(ERROR_SUCCESS, UtilReg_ReadDword(key_.Get(), nullptr, "Direct", &value));
    EXPECT_EQ(42u, value);

    // The root is still open: the platform can use it.
    DWORD type = 0, stored = 0, size = sizeof stored;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_.Get(), "Direct", nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(42u, stored);
}

TEST_F(Registry, WriteCreatesMissingKeys)
{
    const std::string deep = path_ + "\\One\\Two\\Three";
    EXPECT_EQ(ERROR_SUCCESS, UtilReg_WriteDword(HKEY_CURRENT_USER, deep.c_str(), "ForceStyle", 0xFFFFFFFFu));
    DWORD type = 0, stored = 0, size = sizeof stored;
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, deep.c_str(), "ForceStyle", RRF_RT_ANY, &type, &stored, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(4u, size);
    EXPECT_EQ(0xFFFFFFFFu, stored);

    DWORD value = 0;
    EXPECT_EQ(ERROR_SUCCESS, UtilReg_ReadDword(HKEY_CURRENT_USER, deep.c_str(), "ForceStyle", &value));
    EXPECT_EQ(0xFFFFFFFFu, value);

    // A value of another type is replaced by the REG_DWORD.
    Store("Replaced", REG_SZ, "text", 5);
    EXPECT_EQ(ERROR_SUCCESS, UtilReg_WriteDword(HKEY_CURRENT_USER, path_.c_str(), "Replaced", 3));
    EXPECT_EQ(ERROR_SUCCESS, UtilReg_ReadDword(HKEY_CURRENT_USER, path_.c_str(), "Replaced", &value));
    EXPECT_EQ(3u, value);
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(Registry, KeyThatCannotBeCreatedIsReported)
{
    // Under a volatile key only volatile keys can be created, and the
    // helper creates lasting ones.
    RegKey volatileKey;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(key_.Get(), "Volatile", 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_READ | KEY_WRITE, nullptr, volatileKey.Put(), nullptr));
    struct Row {
        const char* name;
        HKEY root;
        const char* subkey;
        LONG status;
    } rows[] = {
        {"lasting key under a volatile one", volatileKey.Get(), "Lasting\\Deeper", ERROR_CHILD_MUST_BE_VOLATILE},
        {"root handle that is not a key", reinterpret_cast<HKEY>(static_cast<INT_PTR>(0x5678)), "Any", ERROR_INVALID_HANDLE},
    };
    for (const Row& row : rows) {
        g_reports.clear();
        EXPECT_EQ(row.status, UtilReg_WriteDword(row.root, row.subkey, "Value", 1)) << row.name;
        ASSERT_EQ(1u, g_reports.size()) << row.name;
        EXPECT_EQ(std::string("2 Tovalen: Could not create key '") + row.subkey + "'", g_reports[0]) << row.name;
    }
    RegKey created;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(volatileKey.Get(), "Lasting", 0, KEY_READ, created.Put()))
        << "nothing created";
}

}  // namespace
