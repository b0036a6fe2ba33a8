// The bounded formatter's time for typical messages against the platform's
// wvsprintfA and the C runtime's snprintf on the same inputs. Prints the
// time per call of each and the formatter's time as a ratio of the others'
// (below 1.00: the formatter is faster).
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "util/util_format.h"

namespace {

char g_buffer[1024];

int Platform(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int count = wvsprintfA(g_buffer, format, args);
    va_end(args);
    return count;
}

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Nanoseconds per call of body, the best of a few rounds.
template <typename Body>
double Time(int calls, Body body)
{
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        volatile int sink = 0;
        double start = Now();
        for (int i = 0; i < calls; ++i)
            sink = sink + body();
        double elapsed = (Now() - start) * 1e9 / calls;
        if (elapsed < best)
            best = elapsed;
    }
    return best;
}

void Report(const char* name, double own, double platform, double runtime)
{
    printf("%-28s %9.1f %9.1f %9.1f %10.2f %10.2f\n", name, own, platform, runtime, own / platform, own / runtime);
}

}  // namespace

int main()
{
    const std::string longText(2000, 'L');
    const char* path = "C:\\Program Files\\Orvane\\Tovalen.dll";
    const int calls = 200000;

    printf("code page %u, ns per call\n", GetACP());
    printf("%-28s %9s %9s %9s %10s %10s\n", "message", "UtilStr", "wvsprintf", "snprintf", "/wvsprintf", "/snprintf");

    const char* shortFormat = "Could not load '%s' (error %d)";
    Report("short text, %s and %d",
           Time(calls, [&] { return UtilStr_Format(g_buffer, sizeof g_buffer, shortFormat, path, 126); }),
           Time(calls, [&] { return Platform(shortFormat, path, 126); }),
           Time(calls, [&] { return snprintf(g_buffer, sizeof g_buffer, shortFormat, path, 126); }));

    const char* header = "%d\t%2d:%02d %d/%02d/%04d\t";
    Report("log record header",
           Time(calls, [&] { return UtilStr_Format(g_buffer, 260, header, 2, 9, 5, 7, 4, 2026); }),
           Time(calls, [&] { return Platform(header, 2, 9, 5, 7, 4, 2026); }),
           Time(calls, [&] { return snprintf(g_buffer, 260, header, 2, 9, 5, 7, 4, 2026); }));

    // wvsprintfA stops at 1024 bytes of its own; the others get the size.
    Report("long %s cut at 1024 bytes",
           Time(calls / 10, [&] { return UtilStr_Format(g_buffer, sizeof g_buffer, "%s", longText.c_str()); }),
           Time(calls / 10, [&] { return Platform("%s", longText.c_str()); }),
           Time(calls / 10, [&] { return snprintf(g_buffer, sizeof g_buffer, "%s", longText.c_str()); }));
    return 0;
}
