// Start-up time of the console: from CreateProcess of TovaCon.exe (with the
// stand-in Tovalen.dll beside it, in a directory of its own) to its dialog
// shown, against the same for a minimal dialog program under the same Wine.
// Each program is started, timed and closed in turn, alternately; the dialog
// counts as shown when a visible top-level window with its title exists.
//
//   startup_bench [runs]      (default 10)
//
// Prints the median and the fastest run of each and their ratio, as rows
// "BENCH|<measure>|<figure>|<unit>|<compared against>|<ratio>" that
// scripts/bench.sh gathers into its table.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char kConsoleTitle[] = "Orvane Tovalen Console - For Internal Use Only";
const char kMinimalTitle[] = "Minimal Dialog for Start-up Timing";

std::string ExeDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/"));
}

double Now()
{
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HWND FindShown(const char* title)
{
    HWND window = FindWindowA("#32770", title);
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

// One start: milliseconds from CreateProcess to the dialog shown, or a
// negative number when it did not appear within 30 seconds.
double TimeOneStart(const std::string& exe, const std::string& directory, const char* title)
{
    while (FindShown(title) != nullptr)
        Sleep(50);  // the previous run's window is still going away
    std::string commandLine = "\"" + exe + "\"";
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    double start = Now();
    if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                        &info))
        return -1;
    HWND window = nullptr;
    double shown = -1;
    while (Now() - start < 30.0) {
        window = FindShown(title);
        if (window != nullptr) {
            shown = (Now() - start) * 1000.0;
            break;
        }
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0)
            break;
        Sleep(1);
    }
    if (window != nullptr)
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return shown;
}

bool CopyTo(const std::string& from, const std::string& directory, const char* name)
{
    return CopyFileA(from.c_str(), (directory + "\\" + name).c_str(), FALSE) != FALSE;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = argc > 1 ? atoi(argv[1]) : 10;
    if (runs < 1)
        runs = 1;
    std::string bin = ExeDir();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string directory = std::string(temp) + "tovacon-startup-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(directory.c_str(), nullptr);
    if (!CopyTo(bin + "\\TovaCon.exe", directory, "TovaCon.exe") ||
        !CopyTo(bin + "\\Tovalen.dll", directory, "Tovalen.dll") ||
        !CopyTo(bin + "\\min_dialog.exe", directory, "min_dialog.exe")) {
        fprintf(stderr, "startup_bench: cannot copy the programs to %s\n", directory.c_str());
        return 1;
    }
    if (FindShown(kConsoleTitle) != nullptr) {
        fprintf(stderr, "startup_bench: a console is already running; close it first\n");
        return 1;
    }
    std::string console = directory + "\\TovaCon.exe";
    std::string minimal = directory + "\\min_dialog.exe";
    // One unmeasured start of each brings the files into the cache.
    TimeOneStart(console, directory, kConsoleTitle);
    TimeOneStart(minimal, directory, kMinimalTitle);
    std::vector<double> consoleTimes, minimalTimes;
    for (int i = 0; i < runs; ++i) {
        double c = TimeOneStart(console, directory, kConsoleTitle);
        double m = TimeOneStart(minimal, directory, kMinimalTitle);
        if (c < 0 || m < 0) {
            fprintf(stderr, "startup_bench: a dialog did not appear (console %.1f, minimal %.1f)\n", c, m);
            return 1;
        }
        consoleTimes.push_back(c);
        minimalTimes.push_back(m);
    }
    DeleteFileA(console.c_str());
    DeleteFileA((directory + "\\Tovalen.dll").c_str());
    DeleteFileA(minimal.c_str());
    DeleteFileA((directory + "\\TovaCon.ini").c_str());
    RemoveDirectoryA(directory.c_str());

    double cMed = Median(consoleTimes), mMed = Median(minimalTimes);
    double cMin = *std::min_element(consoleTimes.begin(), consoleTimes.end());
    double mMin = *std::min_element(minimalTimes.begin(), minimalTimes.end());
    printf("start-up, %d runs each, alternating\n", runs);
    printf("  TovaCon.exe    median %.1f ms, fastest %.1f ms\n", cMed, cMin);
    printf("  minimal dialog median %.1f ms, fastest %.1f ms\n", mMed, mMin);
    printf("BENCH|start-up to dialog shown (median of %d)|%.1f|ms|minimal dialog program %.1f ms|%.2f\n", runs, cMed,
           mMed, cMed / mMed);
    printf("BENCH|start-up to dialog shown (fastest of %d)|%.1f|ms|minimal dialog program %.1f ms|%.2f\n", runs, cMin,
           mMin, cMin / mMin);
    return 0;
}
