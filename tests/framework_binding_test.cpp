// Binding the framework library: real stand-in builds placed in temporary
// directories, bound through the real wrappers and stub. Binding failures are
// reported through a handler that throws, so that the message can be read
// and the binding's exception guard runs; the real message box and exit are
// checked end to end in e2e_fatal_test.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/frame_tracker.h"
#include "app/startup.h"
#include "framework/framework_interface.h"
#include "framework/framework_library.h"
#include "framework/framework_path.h"
#include "tests/support/framework_places.h"
#include "tests/support/test_support.h"

namespace {

struct FatalReport {
    std::string message;
    std::vector<FrameworkEntryPoint> entries;  // the table as it was when the failure was reported
};

void ThrowFatal(const char* message)
{
    FatalReport report{message, {}};
    for (const FrameworkEntry& entry : FrameworkEntryTable)
        report.entries.push_back(entry.entry);
    throw report;
}

std::string ModulePath(HMODULE module)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, sizeof path);
    return path;
}

bool AllEntriesAre(FrameworkEntryPoint value)
{
    for (const FrameworkEntry& entry : FrameworkEntryTable) {
        if (entry.entry != value)
            return false;
    }
    return true;
}

FrameworkInitInfo ValidInitInfo()
{
    FrameworkInitInfo info{};
    info.size = sizeof info;
    info.version = FRAMEWORK_MIN_VERSION;
    info.locale = GetThreadLocale();
    info.client = "CON";
    return info;
}

// A temporary directory holding a copy of a stand-in build as Tovalen.dll.
class LibraryDir {
public:
    explicit LibraryDir(const char* variant = "Tovalen.dll") { test::CopyInto(test::BinPath(variant), dir_.Path(), "Tovalen.dll"); }
    const std::string& Path() const { return dir_.Path(); }
    std::string Library() const { return dir_.File("Tovalen.dll"); }

private:
    test::TempDir dir_;
};

class Binding : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(nullptr, g_frameworkLibrary);
        ASSERT_TRUE(AllEntriesAre(FrameworkLibrary_BindingStub)) << "the table starts unbound";
        char dir[MAX_PATH];
        GetCurrentDirectoryA(sizeof dir, dir);
        oldDirectory_ = dir;
        FrameworkLibrary_SetFatalHandler(ThrowFatal);
    }
    void TearDown() override
    {
        FrameworkLibrary_Unload();
        // An abandoned table stays abandoned in the program; the tests go on.
        for (FrameworkEntry& entry : FrameworkEntryTable)
            entry.entry = FrameworkLibrary_BindingStub;
        FrameworkLibrary_SetFatalHandler(nullptr);
        SetCurrentDirectoryA(oldDirectory_.c_str());
    }
    void ExpectBoundTo(const std::string& path)
    {
        ASSERT_NE(nullptr, g_frameworkLibrary);
        EXPECT_EQ(path, ModulePath(g_frameworkLibrary));
        for (const FrameworkEntry& entry : FrameworkEntryTable) {
            EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(g_frameworkLibrary, entry.name)),
                      reinterpret_cast<void*>(entry.entry))
                << entry.name;
        }
    }

private:
    std::string oldDirectory_;
};

DWORD WINAPI DebuggerProc(DWORD, const char*, LPARAM)
{
    return 0;
}

// The six operations, called either through the console's wrappers or
// straight through GetProcAddress; each row's call gives a text of what it
// returned and wrote, so both ways must give the same text.
struct Operations {
    BOOL(WINAPI* init)(const FrameworkInitInfo*);
    PackedVersion(WINAPI* packedVersion)();
    HWND(WINAPI* window)(const FrameworkWindowInfo*);
    BOOL(WINAPI* fieldValue)(const char*, const char*, char*, int);
    BOOL(WINAPI* registerDebugger)(FrameworkDebuggerProc, LPARAM, DWORD);
    BOOL(__cdecl* formatLocation)(char*, int, const char*, int, ...);
};

const Operations kWrappers = {InitOrvaneTovalen,           TovalenGetPackedVersion, DoTovalenWindowA,
                              TovalenGetLocationFieldValue, TovalenRegisterDebugger, TovalenFormatLocation};

Operations Direct(HMODULE library)
{
    return {test::ProcAs<BOOL(WINAPI*)(const FrameworkInitInfo*)>(library, "InitOrvaneTovalen"),
            test::ProcAs<PackedVersion(WINAPI*)()>(library, "TovalenGetPackedVersion"),
            test::ProcAs<HWND(WINAPI*)(const FrameworkWindowInfo*)>(library, "DoTovalenWindowA"),
            test::ProcAs<BOOL(WINAPI*)(const char*, const char*, char*, int)>(library, "TovalenGetLocationFieldValue"),
            test::ProcAs<BOOL(WINAPI*)(FrameworkDebuggerProc, LPARAM, DWORD)>(library, "TovalenRegisterDebugger"),
            test::ProcAs<BOOL(__cdecl*)(char*, int, const char*, int, ...)>(library, "TovalenFormatLocation")};
}

std::string Buffer(const char* text, size_t n)
{
    std::string s(text, n);
    for (char& c : s) {
        if (c == '\0')
            c = '0';
    }
    return s;
}

TEST_F(Binding, FirstCallOfAnyOperationBindsAllEntriesAndReturnsItsOwnResult)
{
    struct Row {
        const char* name;
        std::string (*call)(const Operations&);
        const char* recorded;  // the line the stand-in records for the call, or nullptr
    };
    static char location[] = "ExtensionLib:Page";
    const Row rows[] = {
        {"InitOrvaneTovalen",
         [](const Operations& ops) {
             FrameworkInitInfo info = ValidInitInfo();
             return std::to_string(ops.init(&info));
         },
         "InitOrvaneTovalen size="},
        {"InitOrvaneTovalen refusing a bad record",
         [](const Operations& ops) {
             FrameworkInitInfo info = ValidInitInfo();
             info.version = 0x01000000;
             return std::to_string(ops.init(&info));
         },
         "InitOrvaneTovalen size="},
        {"TovalenGetPackedVersion",
         [](const Operations& ops) { return std::to_string(ops.packedVersion()); }, nullptr},
        {"DoTovalenWindowA",
         [](const Operations& ops) {
             FrameworkWindowInfo info{};
             info.size = sizeof info;
             info.location = location;
             return std::to_string(reinterpret_cast<INT_PTR>(ops.window(&info)));
         },
         "DoTovalenWindowA location=ExtensionLib:Page"},
        {"TovalenGetLocationFieldValue",
         [](const Operations& ops) {
             char out[16];
             memset(out, 'z', sizeof out);
             BOOL result = ops.fieldValue(location, "ID", out, 8);
             return std::to_string(result) + " " + Buffer(out, sizeof out);
         },
         nullptr},
        {"TovalenRegisterDebugger",
         [](const Operations& ops) { return std::to_string(ops.registerDebugger(DebuggerProc, 0x1234, 7)); },
         "TovalenRegisterDebugger callback=set"},
        {"TovalenFormatLocation",
         [](const Operations& ops) {
             char out[16];
             memset(out, 'z', sizeof out);
             BOOL result = ops.formatLocation(out, 8, "ExtensionLib", 1, "ID", "Page");
             return std::to_string(result) + " " + Buffer(out, sizeof out);
         },
         nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LibraryDir current("variants\\v3\\Tovalen.dll");
        test::TempDir recordDir;
        test::ScopedEnv record("TOVALEN_STANDIN_LOG", recordDir.File("calls.txt").c_str());
        ASSERT_TRUE(SetCurrentDirectoryA(current.Path().c_str()));

        std::string throughWrapper = row.call(kWrappers);
        ExpectBoundTo(current.Library());
        std::vector<std::string> lines = test::ReadLines(recordDir.File("calls.txt"));
        std::string throughLibrary = row.call(Direct(g_frameworkLibrary));
        EXPECT_EQ(throughLibrary, throughWrapper);
        if (row.recorded) {
            ASSERT_EQ(1u, lines.size());
            EXPECT_EQ(0u, lines[0].find(row.recorded)) << lines[0];
        }

        EXPECT_EQ(1, FrameworkLibrary_Unload());
        EXPECT_EQ(nullptr, g_frameworkLibrary);
        EXPECT_TRUE(AllEntriesAre(FrameworkLibrary_BindingStub));
        EXPECT_EQ(nullptr, GetModuleHandleA(current.Library().c_str())) << "the library was not freed";
        lines = test::ReadLines(recordDir.File("calls.txt"));
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ("CleanupOrvaneTovalen 0", lines.back());
    }
}

TEST_F(Binding, InitRecordAndRegisteredContextPassUnchanged)
{
    LibraryDir current;
    test::TempDir recordDir;
    test::ScopedEnv record("TOVALEN_STANDIN_LOG", recordDir.File("calls.txt").c_str());
    ASSERT_TRUE(SetCurrentDirectoryA(current.Path().c_str()));
    FrameworkInitInfo info = ValidInitInfo();
    info.locale = 0x411;
    EXPECT_NE(FALSE, InitOrvaneTovalen(&info));
    EXPECT_NE(FALSE, TovalenRegisterDebugger(DebuggerProc, 0x1234, 7));
    char context[64];
    snprintf(context, sizeof context, "%p", reinterpret_cast<void*>(0x1234));
    std::vector<std::string> lines = test::ReadLines(recordDir.File("calls.txt"));
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("InitOrvaneTovalen size=" + std::to_string(sizeof info) +
                  " version=0x022804a9 locale=0x411 r12=0 client=CON r20=0",
              lines[0]);
    EXPECT_EQ(std::string("TovalenRegisterDebugger callback=set context=") + context + " flags=7", lines[1]);
}

TEST_F(Binding, SecondCallDoesNotSearchAndACallAfterUnloadingSearchesAgain)
{
    LibraryDir first("variants\\v3\\Tovalen.dll");
    LibraryDir second("variants\\bit31\\Tovalen.dll");
    ASSERT_TRUE(SetCurrentDirectoryA(first.Path().c_str()));
    EXPECT_EQ(0x03000000u, TovalenGetPackedVersion());
    HMODULE bound = g_frameworkLibrary;
    ExpectBoundTo(first.Library());

    ASSERT_TRUE(SetCurrentDirectoryA(second.Path().c_str()));
    EXPECT_EQ(0x03000000u, TovalenGetPackedVersion()) << "searched again";
    EXPECT_EQ(bound, g_frameworkLibrary);
    ExpectBoundTo(first.Library());

    EXPECT_EQ(1, FrameworkLibrary_Unload());
    EXPECT_EQ(0x80000001u, TovalenGetPackedVersion()) << "did not search again from the current directory";
    ExpectBoundTo(second.Library());
}

TEST_F(Binding, UnloadingWithNothingLoadedCallsNothing)
{
    test::TempDir recordDir;
    test::ScopedEnv record("TOVALEN_STANDIN_LOG", recordDir.File("calls.txt").c_str());
    EXPECT_EQ(0, FrameworkLibrary_Unload());
    EXPECT_TRUE(AllEntriesAre(FrameworkLibrary_BindingStub));
    EXPECT_FALSE(test::FileExists(recordDir.File("calls.txt")));
}

TEST_F(Binding, VersionCheckAndMissingExports)
{
    struct Row {
        const char* variant;
        bool preloaded;        // the library handle is already set when binding starts
        const char* expected;  // the message, %s standing for the path shown; nullptr: accepted
        int boundBefore;       // entries bound when the failure is reported
    };
    const Row rows[] = {
        {"Tovalen.dll", false, nullptr, 0},
        {"variants\\v3\\Tovalen.dll", false, nullptr, 0},
        {"variants\\bit31\\Tovalen.dll", false, nullptr, 0},
        {"variants\\old\\Tovalen.dll", false,
         "2.40.1192 is the wrong version of Orvane Tovalen ( '%s' ).  The expected version is at least 2.40.1193.0.",
         79},
        {"variants\\lacking\\Tovalen.dll", false,
         "Cannot get 'TovalenAboutBox' from '%s'.  The expected version of Orvane Tovalen is at least 2.40.1193.",
         20},
        {"variants\\old\\Tovalen.dll", true,
         "2.40.1192 is the wrong version of Orvane Tovalen ( '%s' ).  The expected version is at least 2.40.1193.0.",
         79},
        {"variants\\lacking\\Tovalen.dll", true,
         "Cannot get 'TovalenAboutBox' from '%s'.  The expected version of Orvane Tovalen is at least 2.40.1193.",
         20},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.variant) + (row.preloaded ? " (already loaded)" : ""));
        LibraryDir current(row.variant);
        ASSERT_TRUE(SetCurrentDirectoryA(current.Path().c_str()));
        if (row.preloaded) {
            g_frameworkLibrary = LoadLibraryExA(current.Library().c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
            ASSERT_NE(nullptr, g_frameworkLibrary);
        }
        PackedVersion version = 0;
        FatalReport report;
        bool reported = false;
        try {
            version = TovalenGetPackedVersion();
        } catch (const FatalReport& r) {
            report = r;
            reported = true;
        }
        if (row.expected == nullptr) {
            EXPECT_FALSE(reported) << report.message;
            EXPECT_EQ(Direct(g_frameworkLibrary).packedVersion(), version);
            ExpectBoundTo(current.Library());
            EXPECT_EQ(1, FrameworkLibrary_Unload());
            continue;
        }
        ASSERT_TRUE(reported);
        char expected[1024];
        snprintf(expected, sizeof expected, row.expected, row.preloaded ? "" : current.Library().c_str());
        EXPECT_EQ(expected, report.message);
        int bound = 0;
        for (FrameworkEntryPoint entry : report.entries)
            bound += entry != nullptr && entry != FrameworkLibrary_BindingStub;
        EXPECT_EQ(row.boundBefore, bound);

        // The exception guard: every entry null, the library freed, the handle cleared.
        EXPECT_TRUE(AllEntriesAre(nullptr));
        EXPECT_EQ(nullptr, g_frameworkLibrary);
        EXPECT_EQ(nullptr, GetModuleHandleA(current.Library().c_str())) << "the library was not freed";
        EXPECT_EQ(0, FrameworkLibrary_Unload());
        for (FrameworkEntry& entry : FrameworkEntryTable)
            entry.entry = FrameworkLibrary_BindingStub;
    }
}

TEST_F(Binding, ReadLocation)
{
    struct Row {
        const char* name;
        DWORD type;
        std::vector<BYTE> bytes;  // empty with absent: the value is removed
        bool absent;
        int expected;
        std::string text;
    };
    auto bytes = [](const std::string& s) { return std::vector<BYTE>(s.begin(), s.end()); };
    const Row rows[] = {
        {"text with terminator", REG_SZ, bytes(std::string("C:\\dir", 7)), false, 1, "C:\\dir"},
        {"binary without terminator", REG_BINARY, bytes("C:\\bin"), false, 1, "C:\\bin"},
        {"expandable text is not expanded", REG_EXPAND_SZ, bytes(std::string("%TEMP%\\x", 9)), false, 1,
         "%TEMP%\\x"},
        {"zero bytes count as absent", REG_SZ, {}, false, 0, ""},
        {"no value", REG_SZ, {}, true, 0, ""},
        {"259 bytes and a terminator fit", REG_SZ, bytes(std::string(259, 'a') + '\0'), false, 1,
         std::string(259, 'a')},
        {"260 bytes without terminator do not", REG_BINARY, bytes(std::string(260, 'a')), false, 0, ""},
        {"261 bytes do not fit", REG_SZ, bytes(std::string(260, 'a') + '\0'), false, 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<test::ScopedLocationValue> value(row.absent ? new test::ScopedLocationValue()
                                                                    : new test::ScopedLocationValue(row.type, row.bytes));
        ASSERT_TRUE(value->Ok());
        char buffer[FRAMEWORK_PATH_SIZE + 16];
        memset(buffer, 'x', sizeof buffer);
        int result = FrameworkLibrary_ReadLocation(buffer, FRAMEWORK_PATH_SIZE);
        EXPECT_EQ(row.expected, result != 0);
        if (result) {
            EXPECT_EQ(row.text, std::string(buffer));
        }
        EXPECT_EQ(std::string(16, 'x'), std::string(buffer + FRAMEWORK_PATH_SIZE, 16));
    }
}

TEST(FrameworkLibrary, DefaultDirectory)
{
    char buffer[FRAMEWORK_PATH_SIZE];
    EXPECT_EQ(lstrlenA(test::kFrameworkDefaultDirectory), FrameworkLibrary_DefaultDirectory(buffer, sizeof buffer));
    EXPECT_STREQ(test::kFrameworkDefaultDirectory, buffer);
    char small[8];
    EXPECT_EQ(7, FrameworkLibrary_DefaultDirectory(small, sizeof small));
    EXPECT_STREQ("C:\\Prog", small);
}

// Shutdown runs when start-up is left by an exception: the framework is
// unloaded only when InitOrvaneTovalen returned nonzero, the hook always goes.
TEST_F(Binding, ShutdownGuardRunsWhileAnExceptionPasses)
{
    struct Row {
        const char* variant;
        bool unloaded;
    };
    const Row rows[] = {
        {"Tovalen.dll", true},
        {"variants\\noinit\\Tovalen.dll", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.variant);
        LibraryDir current(row.variant);
        test::TempDir recordDir;
        test::ScopedEnv record("TOVALEN_STANDIN_LOG", recordDir.File("calls.txt").c_str());
        ASSERT_TRUE(SetCurrentDirectoryA(current.Path().c_str()));
        bool caught = false;
        try {
            StartupShutdownGuard shutdown;
            g_hook = SetWindowsHookExA(WH_CBT, FrameTracker_CbtHookProc, nullptr, GetCurrentThreadId());
            ASSERT_NE(nullptr, g_hook);
            FrameworkInitInfo info = ValidInitInfo();
            shutdown.SetInitResult(InitOrvaneTovalen(&info));
            throw std::runtime_error("from the dialog");
        } catch (const std::runtime_error&) {
            caught = true;
        }
        EXPECT_TRUE(caught);
        EXPECT_EQ(nullptr, g_hook);
        std::vector<std::string> lines = test::ReadLines(recordDir.File("calls.txt"));
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(row.unloaded, lines.back() == "CleanupOrvaneTovalen 0");
        EXPECT_EQ(row.unloaded, g_frameworkLibrary == nullptr);
        FrameworkLibrary_Unload();
    }
}

}  // namespace
