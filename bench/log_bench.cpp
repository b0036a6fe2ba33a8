// Benchmark of the debug log pane (not a test): how fast the visible pane
// absorbs one-line Trace events sent through the debugger callback, from the
// dialog's thread and from a worker thread, beside a bare LB_ADDSTRING loop
// into the same list box, with batched repaints and with a repaint per line
// (the pane's former behaviour); the longest time the dialog takes to answer
// a message during a flood; the delay from a lone line's event to its paint;
// the private memory of the process as the log grows to 1,000,000 lines.
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "app/startup.h"
#include "console/console_dialog.h"
#include "console/debug_log.h"
#include "res/resource.h"

namespace {

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

void Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void PumpFor(double seconds)
{
    double end = Now() + seconds;
    while (Now() < end) {
        Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    }
}

BOOL WINAPI SilentBeep(UINT)
{
    return TRUE;
}

HWND CreateConsole()
{
    HWND dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_CONSOLE), nullptr, ConsoleDialogProc, 0);
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    PumpFor(0.1);
    // The dialog read the mask from the registry; the benchmark reports Trace.
    DebugLogMask = 7;
    return dialog;
}

HWND LogList(HWND dialog)
{
    return GetDlgItem(dialog, IDC_LOG_LIST);
}

int Count(HWND list)
{
    return static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
}

// Waits until the list's last line is <last> and the list is painted; false
// after a minute.
bool WaitListed(HWND list, const char* last)
{
    double deadline = Now() + 60;
    char text[128];
    for (;;) {
        int count = Count(list);
        text[0] = '\0';
        if (count > 0 && SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(count - 1), 0) < 120)
            SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(text));
        if (strcmp(text, last) == 0)
            break;
        if (Now() > deadline) {
            printf("  (the last line never arrived: %d listed, last \"%s\")\n", count, text);
            return false;
        }
        Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    UpdateWindow(list);
    return true;
}

void LineText(char* text, size_t size, int i)
{
    snprintf(text, size, "Trace line %d of the benchmark", i);
}

// The longest time the dialog takes to answer a message while <busy> holds.
class ResponseProbe {
public:
    explicit ResponseProbe(HWND dialog) : dialog_(dialog)
    {
        thread_ = std::thread([this] {
            while (!stop_) {
                double start = Now();
                DWORD_PTR result;
                SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
                double took = Now() - start;
                double seen = longest_.load();
                while (took > seen && !longest_.compare_exchange_weak(seen, took)) {
                }
                Sleep(5);
            }
        });
    }
    ~ResponseProbe() { Stop(); }
    double Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return longest_.load();
    }

private:
    HWND dialog_;
    std::atomic<bool> stop_{false};
    std::atomic<double> longest_{0};
    std::thread thread_;
};

struct Figure {
    double rate;      // lines per second
    double response;  // longest answer during the run, seconds (negative: not measured)
};

Figure BareAdd(int lines)
{
    HWND dialog = CreateConsole();
    HWND list = LogList(dialog);
    char text[64];
    double start = Now();
    for (int i = 0; i < lines; ++i) {
        LineText(text, sizeof text, i);
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    UpdateWindow(list);
    double took = Now() - start;
    DestroyWindow(dialog);
    return {lines / took, -1};
}

Figure CallbackOnDialogThread(int lines, DWORD interval, int burst)
{
    DebugLog_SetRepaintInterval(interval);
    HWND dialog = CreateConsole();
    HWND list = LogList(dialog);
    ResponseProbe probe(dialog);
    char text[64];
    double start = Now();
    // The framework reports in bursts from within the dialog's message loop.
    for (int done = 0; done < lines;) {
        for (int i = 0; i < burst && done < lines; ++i, ++done) {
            LineText(text, sizeof text, done);
            ConsoleDebuggerProc(1, text, reinterpret_cast<LPARAM>(dialog));
        }
        Pump();
    }
    LineText(text, sizeof text, lines - 1);
    WaitListed(list, text);
    double took = Now() - start;
    double response = probe.Stop();
    DestroyWindow(dialog);
    DebugLog_SetRepaintInterval(DEBUG_LOG_REPAINT_INTERVAL);
    return {lines / took, response};
}

Figure CallbackFromWorker(int lines, DWORD interval)
{
    DebugLog_SetRepaintInterval(interval);
    HWND dialog = CreateConsole();
    HWND list = LogList(dialog);
    ResponseProbe probe(dialog);
    std::atomic<bool> done{false};
    double start = Now();
    std::thread worker([&] {
        char text[64];
        for (int i = 0; i < lines; ++i) {
            LineText(text, sizeof text, i);
            ConsoleDebuggerProc(1, text, reinterpret_cast<LPARAM>(dialog));
        }
        done = true;
    });
    while (!done) {
        Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    worker.join();
    char last[64];
    LineText(last, sizeof last, lines - 1);
    WaitListed(list, last);
    double took = Now() - start;
    double response = probe.Stop();
    DestroyWindow(dialog);
    DebugLog_SetRepaintInterval(DEBUG_LOG_REPAINT_INTERVAL);
    return {lines / took, response};
}

// Delay from a lone line's event to the end of the list's next paint.
WNDPROC g_listProc;
double g_painted;
LRESULT CALLBACK PaintClock(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallWindowProcA(g_listProc, list, message, wParam, lParam);
    if (message == WM_PAINT)
        g_painted = Now();
    return result;
}

void LoneLineDelay(DWORD interval, double gapAfterPrevious, double* average, double* longest)
{
    DebugLog_SetRepaintInterval(interval);
    HWND dialog = CreateConsole();
    HWND list = LogList(dialog);
    g_listProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaintClock)));
    const int samples = 20;
    double sum = 0, worst = 0;
    for (int i = 0; i < samples; ++i) {
        ConsoleDebuggerProc(1, "the line before", reinterpret_cast<LPARAM>(dialog));
        PumpFor(gapAfterPrevious);
        int before = Count(list);
        g_painted = 0;
        double start = Now();
        ConsoleDebuggerProc(1, "a lone line", reinterpret_cast<LPARAM>(dialog));
        while ((Count(list) == before || g_painted < start) && Now() - start < 5) {
            Pump();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
        double took = g_painted - start;
        sum += took;
        worst = std::max(worst, took);
        PumpFor(0.1);
    }
    DestroyWindow(dialog);
    DebugLog_SetRepaintInterval(DEBUG_LOG_REPAINT_INTERVAL);
    *average = sum / samples;
    *longest = worst;
}

double PrivateMegabytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    // Wine leaves PrivateUsage at 0; the page-file usage is the private memory there.
    SIZE_T bytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

void PrintRow(const char* what, const Figure& batched, const Figure& perLine, int perLineLines)
{
    printf("  %-44s %12.0f %14.0f  (%d lines)\n", what, batched.rate, perLine.rate, perLineLines);
}

}  // namespace

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    g_instance = GetModuleHandleA(nullptr);
    DebugLog_Beep = SilentBeep;
    DebugLogMask = 7;

    // Per-line repaint costs milliseconds a line: it is measured on fewer lines.
    const int slow = 1000;
    printf("Debug log pane: lines per second into the visible pane\n");
    printf("  %-44s %12s %14s\n", "", "batched", "per-line paint");
    Figure bare = BareAdd(slow);
    printf("  %-44s %12s %14.0f  (%d lines)\n", "bare LB_ADDSTRING loop, same list box", "-", bare.rate, slow);

    Figure dialog100k = CallbackOnDialogThread(100000, DEBUG_LOG_REPAINT_INTERVAL, 1000);
    Figure dialogPerLine = CallbackOnDialogThread(slow, 0, 1000);
    PrintRow("callback, dialog's thread, 100,000 lines", dialog100k, dialogPerLine, slow);
    Figure dialog1k = CallbackOnDialogThread(1000, DEBUG_LOG_REPAINT_INTERVAL, 1000);
    PrintRow("callback, dialog's thread, burst of 1,000", dialog1k, dialogPerLine, slow);
    Figure worker100k = CallbackFromWorker(100000, DEBUG_LOG_REPAINT_INTERVAL);
    Figure workerPerLine = CallbackFromWorker(slow, 0);
    PrintRow("callback, worker thread, 100,000 lines", worker100k, workerPerLine, slow);
    Figure worker1k = CallbackFromWorker(1000, DEBUG_LOG_REPAINT_INTERVAL);
    PrintRow("callback, worker thread, burst of 1,000", worker1k, workerPerLine, slow);
    printf("  batched from the dialog's thread / bare loop with per-line paint: %.0fx\n", dialog100k.rate / bare.rate);

    printf("\nLongest time the dialog takes to answer a message during a flood (ms)\n");
    printf("  %-44s %12.1f %14.1f\n", "dialog's thread, bursts of 1,000", dialog100k.response * 1000,
           dialogPerLine.response * 1000);
    printf("  %-44s %12.1f %14.1f\n", "worker thread", worker100k.response * 1000, workerPerLine.response * 1000);

    printf("\nDelay from a lone line's event to its paint (ms, 20 samples)\n");
    double average, longest, perLineAverage, perLineLongest;
    LoneLineDelay(DEBUG_LOG_REPAINT_INTERVAL, 0.2, &average, &longest);
    LoneLineDelay(0, 0.2, &perLineAverage, &perLineLongest);
    printf("  %-44s %5.1f avg %5.1f max   per-line paint: %5.1f avg %5.1f max\n", "after a quiet spell", average * 1000,
           longest * 1000, perLineAverage * 1000, perLineLongest * 1000);
    LoneLineDelay(DEBUG_LOG_REPAINT_INTERVAL, 0.01, &average, &longest);
    printf("  %-44s %5.1f avg %5.1f max\n", "10 ms after the previous line", average * 1000, longest * 1000);

    printf("\nPrivate memory while the log grows (bound %d lines)\n", DEBUG_LOG_MAX_LINES);
    HWND dialog = CreateConsole();
    char text[64];
    printf("  %10d lines: %7.1f MB\n", 0, PrivateMegabytes());
    for (int i = 0, next = 100000; i < 1000000; ++i) {
        LineText(text, sizeof text, i);
        ConsoleDebuggerProc(1, text, reinterpret_cast<LPARAM>(dialog));
        if (i % 1000 == 999)
            Pump();
        if (i + 1 == next) {
            DebugLog_Flush(dialog);
            printf("  %10d lines: %7.1f MB, %d listed\n", i + 1, PrivateMegabytes(), Count(LogList(dialog)));
            fflush(stdout);
            next += next < 200000 ? 100000 : next < 500000 ? 300000 : 500000;
        }
    }
    DestroyWindow(dialog);
    return 0;
}
