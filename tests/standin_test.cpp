// The stand-in framework library: every export resolves by name, the version
// and the record check of InitOrvaneTovalen behave, and the build variants
// the binding tests rely on differ only as intended.
#include <gtest/gtest.h>

#include "framework/framework_interface.h"
#include "tests/support/test_support.h"
#include "util/handles.h"

namespace {

const char* const kExportNames[] = {
#define FRAMEWORK_EXPORT(slot, name) #name,
#include "framework/framework_exports.h"
};

using InitFn = BOOL(WINAPI*)(const FrameworkInitInfo*);
using VersionFn = PackedVersion(WINAPI*)();

Module LoadVariant(const char* relative)
{
    std::string path = test::BinPath(relative);
    return Module(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
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

TEST(Standin, ResolvesEveryExportByNameAtADistinctAddress)
{
    Module library = LoadVariant("Tovalen.dll");
    ASSERT_TRUE(library) << GetLastError();
    ASSERT_EQ(79u, sizeof kExportNames / sizeof kExportNames[0]);
    std::vector<FARPROC> seen;
    for (const char* name : kExportNames) {
        FARPROC proc = GetProcAddress(library.Get(), name);
        ASSERT_NE(nullptr, proc) << name;
        for (FARPROC other : seen)
            EXPECT_NE(other, proc) << name << " shares its address with another export";
        seen.push_back(proc);
    }
}

TEST(Standin, VersionAndInitRecordCheck)
{
    Module library = LoadVariant("Tovalen.dll");
    ASSERT_TRUE(library);
    auto version = test::ProcAs<VersionFn>(library.Get(), "TovalenGetPackedVersion");
    auto init = test::ProcAs<InitFn>(library.Get(), "InitOrvaneTovalen");
    ASSERT_TRUE(version && init);
    EXPECT_EQ(0x022804A9u, version());

    FrameworkInitInfo good = ValidInitInfo();
    EXPECT_NE(FALSE, init(&good));

    FrameworkInitInfo badSize = ValidInitInfo();
    badSize.size = sizeof badSize - 4;
    EXPECT_EQ(FALSE, init(&badSize));

    FrameworkInitInfo badVersion = ValidInitInfo();
    badVersion.version = 0x022804A8;
    EXPECT_EQ(FALSE, init(&badVersion));
    EXPECT_EQ(FALSE, init(nullptr));
}

TEST(Standin, VariantsDifferAsBuilt)
{
    struct Row {
        const char* variant;
        PackedVersion version;
        bool initSucceeds;
        const char* missing;  // an export the variant lacks, or nullptr
    };
    const Row rows[] = {
        {"variants\\old\\Tovalen.dll", 0x022804A8, true, nullptr},
        {"variants\\v3\\Tovalen.dll", 0x03000000, true, nullptr},
        {"variants\\bit31\\Tovalen.dll", 0x80000001, true, nullptr},
        {"variants\\noinit\\Tovalen.dll", 0x022804A9, false, nullptr},
        {"variants\\lacking\\Tovalen.dll", 0x022804A9, true, "TovalenAboutBox"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.variant);
        Module library = LoadVariant(row.variant);
        ASSERT_TRUE(library);
        auto version = test::ProcAs<VersionFn>(library.Get(), "TovalenGetPackedVersion");
        auto init = test::ProcAs<InitFn>(library.Get(), "InitOrvaneTovalen");
        ASSERT_TRUE(version && init);
        EXPECT_EQ(row.version, version());
        FrameworkInitInfo info = ValidInitInfo();
        EXPECT_EQ(row.initSucceeds, init(&info) != FALSE);
        int missing = 0;
        for (const char* name : kExportNames)
            missing += GetProcAddress(library.Get(), name) == nullptr;
        EXPECT_EQ(row.missing ? 3 : 0, missing);
        if (row.missing) {
            EXPECT_EQ(nullptr, GetProcAddress(library.Get(), row.missing));
        }
    }
}

TEST(Standin, RecordsCallsWhereAsked)
{
    test::TempDir dir;
    test::ScopedEnv record("TOVALEN_STANDIN_LOG", dir.File("calls.txt").c_str());
    Module library = LoadVariant("Tovalen.dll");
    ASSERT_TRUE(library);
    auto init = test::ProcAs<InitFn>(library.Get(), "InitOrvaneTovalen");
    FrameworkInitInfo info = ValidInitInfo();
    info.locale = 0x411;
    ASSERT_NE(FALSE, init(&info));
    std::vector<std::string> lines = test::ReadLines(dir.File("calls.txt"));
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("InitOrvaneTovalen size=" + std::to_string(sizeof info) +
                  " version=0x022804a9 locale=0x411 r12=0 client=CON r20=0",
              lines[0]);
}

}  // namespace
