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

// Nanoseconds per call of each of the three bodies, the best of several
// rounds; the rounds alternate between them so that a busy machine slows
// all three alike.
template <typename Own, typename Platform, typename Runtime>
void Measure(const char* name, int calls, Own own, Platform platform, Runtime runtime)
{
    double best[3] = {1e30, 1e30, 1e30};
    for (int round = 0; round < 15; ++round) {
        volatile int sink = 0;
        double times[4];
        times[0] = Now();
        for (int i = 0; i < calls; ++i)
            sink = sink + own();
        times[1] = Now();
        for (int i = 0; i < calls; ++i)
            sink = sink + platform();
        times[2] = Now();
        for (int i = 0; i < calls; ++i)
            sink = sink + runtime();
        times[3] = Now();
        for (int k = 0; k < 3; ++k) {
            double elapsed = (times[k + 1] - times[k]) * 1e9 / calls;
            if (elapsed < best[k])
                best[k] = elapsed;
        }
    }
    printf("%-28s %9.1f %9.1f %9.1f %10.2f %10.2f\n", name, best[0], best[1], best[2], best[0] / best[1],
           best[0] / best[2]);
}

}  // namespace

int main()
{
    const std::string longText(2000, 'L');
    const char* path = "C:\\Program Files\\Orvane\\Tovalen.dll";
    const int calls = 50000;

    printf("code page %u, ns per call\n", GetACP());
    printf("%-28s %9s %9s %9s %10s %10s\n", "message", "UtilStr", "wvsprintf", "snprintf", "/wvsprintf", "/snprintf");

    const char* shortFormat = "Could not load '%s' (error %d)";
    Measure("short text, %s and %d", calls,
            [&] { return UtilStr_Format(g_buffer, sizeof g_buffer, shortFormat, path, 126); },
            [&] { return Platform(shortFormat, path, 126); },
            [&] { return snprintf(g_buffer, sizeof g_buffer, shortFormat, path, 126); });

    const char* header = "%d\t%2d:%02d %d/%02d/%04d\t";
    Measure("log record header", calls,
            [&] { return UtilStr_Format(g_buffer, 260, header, 2, 9, 5, 7, 4, 2026); },
            [&] { return Platform(header, 2, 9, 5, 7, 4, 2026); },
            [&] { return snprintf(g_buffer, 260, header, 2, 9, 5, 7, 4, 2026); });

    // wvsprintfA stops at 1024 bytes of its own; the others get the size.
    Measure("long %s cut at 1024 bytes", calls / 10,
            [&] { return UtilStr_Format(g_buffer, sizeof g_buffer, "%s", longText.c_str()); },
            [&] { return Platform("%s", longText.c_str()); },
            [&] { return snprintf(g_buffer, sizeof g_buffer, "%s", longText.c_str()); });
    return 0;
}
