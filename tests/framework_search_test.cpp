// Where the framework library is looked for, in order: the current directory,
// the program's directory, the registry value Location, the default
// directory. The program directory of this test program is the build's bin
// directory, which holds a Tovalen.dll; so each case runs a copy of this
// program from a temporary directory of its own, as a child process that
// binds and reports what it bound (BindingChild.Report).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/framework_interface.h"
#include "framework/framework_library.h"
#include "tests/support/framework_places.h"
#include "tests/support/test_support.h"

namespace {

const char kReportVariable[] = "TOVACON_BINDING_REPORT";

struct FatalMessage {
    std::string text;
};

void ThrowFatal(const char* message)
{
    throw FatalMessage{message};
}

// The child: binds through the first framework call and writes
// "loaded <path>" or "fatal <message>" to the file named in the environment.
TEST(BindingChild, Report)
{
    char reportPath[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableA(kReportVariable, reportPath, sizeof reportPath);
    if (n == 0 || n >= sizeof reportPath)
        GTEST_SKIP() << "run by FrameworkSearch as a child process";
    FrameworkLibrary_SetFatalHandler(ThrowFatal);
    std::string report;
    try {
        TovalenGetPackedVersion();
        char path[MAX_PATH] = {};
        GetModuleFileNameA(g_frameworkLibrary, path, sizeof path);
        report = std::string("loaded ") + path;
        FrameworkLibrary_Unload();
    } catch (const FatalMessage& fatal) {
        report = "fatal " + fatal.text;
    }
    test::WriteFileText(reportPath, report);
}

enum Place { kNone, kCurrent, kProgram, kRegistry, kDefault };

struct Location {
    enum Kind { kAbsent, kRegistryDir, kText, kBytes } kind;
    DWORD type;
    std::string text;  // kText: the directory text; kBytes: the raw bytes
};

struct Row {
    const char* name;
    bool inCurrent, inProgram, inRegistry, inDefault;
    Location location;
    Place expected;
};

std::string RunChild(const Row& row, const test::TempDir& root)
{
    std::string current = root.File("current");
    std::string program = root.File("program");
    std::string registry = root.File("registry");
    for (const std::string& dir : {current, program, registry})
        CreateDirectoryA(dir.c_str(), nullptr);
    std::string library = test::BinPath("Tovalen.dll");
    if (row.inCurrent)
        test::CopyInto(library, current);
    if (row.inProgram)
        test::CopyInto(library, program);
    if (row.inRegistry)
        test::CopyInto(library, registry);
    test::CopyInto(test::BinPath("framework_search_test.exe"), program, "child.exe");

    std::unique_ptr<test::ScopedLocationValue> location;
    switch (row.location.kind) {
    case Location::kAbsent:
        location.reset(new test::ScopedLocationValue());
        break;
    case Location::kRegistryDir:
        location.reset(new test::ScopedLocationValue(registry));
        break;
    case Location::kText:
        location.reset(new test::ScopedLocationValue(
            row.location.text.empty() || row.location.text[0] != '+' ? row.location.text
                                                                      : registry + row.location.text.substr(1)));
        break;
    case Location::kBytes: {
        std::string bytes = row.location.text[0] == '+' ? registry + row.location.text.substr(1) : row.location.text;
        location.reset(new test::ScopedLocationValue(row.location.type, std::vector<BYTE>(bytes.begin(), bytes.end())));
        break;
    }
    }
    if (!location->Ok())
        return "cannot set Location";
    std::unique_ptr<test::ScopedDefaultLibrary> defaultLibrary;
    if (row.inDefault) {
        defaultLibrary.reset(new test::ScopedDefaultLibrary(library));
        if (!defaultLibrary->Ok())
            return "cannot place a library in the default directory";
    }

    std::string reportPath = root.File("report.txt");
    test::ScopedEnv report(kReportVariable, reportPath.c_str());
    test::Process child;
    if (!child.Start(program + "\\child.exe", "--gtest_filter=BindingChild.Report", current))
        return "cannot start the child";
    long code = child.Wait(60000);
    if (code != 0)
        return "child ended with " + std::to_string(code);
    return test::ReadFileText(reportPath);
}

TEST(FrameworkSearch, EachPlaceWinsOverTheLaterOnes)
{
    if (test::DefaultLibraryPresent())
        GTEST_SKIP() << "a Tovalen.dll is installed in the default directory";
    const Location none{Location::kAbsent, 0, ""};
    const Location registered{Location::kRegistryDir, 0, ""};
    // '+' stands for the registry directory of the case.
    const Row rows[] = {
        {"all four places: the current directory", true, true, true, true, registered, kCurrent},
        {"no current: the program's directory", false, true, true, true, registered, kProgram},
        {"neither: the registered directory", false, false, true, true, registered, kRegistry},
        {"only the default directory", false, false, false, true, none, kDefault},
        {"nowhere", false, false, false, false, none, kNone},
        {"registered directory without the library", false, false, false, true, registered, kDefault},
        {"Location with a trailing backslash", false, false, true, true, {Location::kText, 0, "+\\"}, kRegistry},
        {"Location as binary bytes without terminator", false, false, true, true,
         {Location::kBytes, REG_BINARY, "+"}, kRegistry},
        {"Location as a multi-string", false, false, true, true,
         {Location::kBytes, REG_MULTI_SZ, std::string("+") + std::string(2, '\0')}, kRegistry},
        {"Location with zero bytes", false, false, true, true, {Location::kBytes, REG_SZ, ""}, kDefault},
        {"Location longer than 260 bytes", false, false, true, true,
         {Location::kText, 0, "+\\" + std::string(300, 'x')}, kDefault},
        {"empty Location", false, false, true, true, {Location::kText, 0, ""}, kDefault},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempDir root;
        std::string result = RunChild(row, root);
        std::string expected;
        switch (row.expected) {
        case kCurrent: expected = "loaded " + root.File("current") + "\\Tovalen.dll"; break;
        case kProgram: expected = "loaded " + root.File("program") + "\\Tovalen.dll"; break;
        case kRegistry: expected = "loaded " + root.File("registry") + "\\Tovalen.dll"; break;
        case kDefault: expected = "loaded " + std::string(test::kFrameworkDefaultDirectory) + "\\Tovalen.dll"; break;
        case kNone: expected = "fatal Cannot load 'Tovalen.dll'"; break;
        }
        EXPECT_EQ(expected, result);
    }
}

}  // namespace
