// What binding costs: a call through a bound wrapper against a plain call
// through a function pointer to the same function, and the first framework
// call (search, load, 79 lookups, version check) against a bare
// LoadLibraryExA and 79 GetProcAddress of the same library.
#include <windows.h>

#include <stdio.h>

#include <algorithm>

#include "framework/framework_interface.h"
#include "framework/framework_library.h"
#include "framework/framework_path.h"

namespace {

using VersionProc = PackedVersion(WINAPI*)();

// Read through a volatile so that the compiler cannot see which function it is.
VersionProc volatile g_direct;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

const int kCalls = 4000000;

double TimeWrapperCalls(DWORD* sink)
{
    LARGE_INTEGER from, to;
    DWORD sum = 0;
    QueryPerformanceCounter(&from);
    for (int i = 0; i < kCalls; ++i)
        sum += TovalenGetPackedVersion();
    QueryPerformanceCounter(&to);
    *sink += sum;
    return Seconds(from, to) / kCalls;
}

double TimePointerCalls(DWORD* sink)
{
    VersionProc direct = g_direct;
    LARGE_INTEGER from, to;
    DWORD sum = 0;
    QueryPerformanceCounter(&from);
    for (int i = 0; i < kCalls; ++i)
        sum += direct();
    QueryPerformanceCounter(&to);
    *sink += sum;
    return Seconds(from, to) / kCalls;
}

double TimeFirstCall()
{
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    TovalenGetPackedVersion();
    QueryPerformanceCounter(&to);
    FrameworkLibrary_Unload();
    return Seconds(from, to);
}

double TimeBareBinding(const char* path)
{
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    HMODULE library = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    for (const FrameworkEntry& entry : FrameworkEntryTable)
        GetProcAddress(library, entry.name);
    QueryPerformanceCounter(&to);
    FreeLibrary(library);
    return Seconds(from, to);
}

}  // namespace

int main()
{
    char path[FRAMEWORK_PATH_SIZE];
    FrameworkPath_ProgramDirFile(nullptr, "Tovalen.dll", path, sizeof path);
    char current[FRAMEWORK_PATH_SIZE];
    GetCurrentDirectoryA(sizeof current, current);
    printf("library: %s (current directory %s)\n", path, current);

    // Bind once; from here the wrapper jumps straight into the library.
    TovalenGetPackedVersion();
    g_direct = reinterpret_cast<VersionProc>(
        reinterpret_cast<void*>(GetProcAddress(g_frameworkLibrary, "TovalenGetPackedVersion")));

    // Rounds alternate between the two so that both see the same machine; the
    // fastest round of each counts.
    DWORD sink = 0;
    double wrapper = 1e9, pointer = 1e9;
    for (int round = 0; round < 40; ++round) {
        wrapper = std::min(wrapper, TimeWrapperCalls(&sink));
        pointer = std::min(pointer, TimePointerCalls(&sink));
    }
    FrameworkLibrary_Unload();

    double first = 1e9, bare = 1e9;
    for (int round = 0; round < 50; ++round) {
        first = std::min(first, TimeFirstCall());
        bare = std::min(bare, TimeBareBinding(path));
    }

    printf("%-58s %12s %12s %8s\n", "", "binding", "plain", "ratio");
    printf("%-58s %9.3f ns %9.3f ns %8.3f   (goal <= 1.05)\n",
           "bound call (wrapper vs function pointer, same function)", wrapper * 1e9, pointer * 1e9,
           wrapper / pointer);
    printf("%-58s %9.1f us %9.1f us %8.3f\n",
           "first call (search+load+79 lookups+version) vs bare", first * 1e6, bare * 1e6, first / bare);
    printf("(checksum %lu)\n", static_cast<unsigned long>(sink));
    return 0;
}
