// How long the navigation history takes, done the way the console does it:
// saving the list (one private-profile write per entry, then "Last"), loading
// it (per entry, "Last" then the key), and a page the frame reports (the
// prefix search, the addition and the full save), for lists of 10, 100 and
// 1,000 entries. Beside the save, for comparison, the same section written in
// one WritePrivateProfileSectionA call. The history file lies in a temporary
// directory: the path routine is pointed there through the module handle.
#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/startup.h"
#include "console/console_dialog.h"
#include "console/history.h"
#include "res/resource.h"

namespace {

double Now()
{
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

std::string Entry(int i)
{
    return "C:\\Program Files\\Orvane\\Extensions\\library" + std::to_string(i) + ".dll|ID=Page" + std::to_string(i);
}

void Fill(HWND list, int count)
{
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Entry(i).c_str()));
}

void Drain()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void WriteSectionAtOnce(HWND list, const char* path)
{
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    std::string section;
    char entry[1024];
    for (LRESULT i = 0; i < count; ++i) {
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
        section += std::to_string(i) + "=" + entry;
        section += '\0';
    }
    section += "Last=" + std::to_string(count);
    section += '\0';
    section += '\0';
    WritePrivateProfileSectionA("History", section.data(), path);
}

}  // namespace

int main()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string dir = std::string(temp) + "tovacon-history-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    // A copy of this program in the directory, loaded as a module, gives the
    // path routine the directory to put TovaCon.ini in.
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string copy = dir + "\\history_bench_copy.exe";
    CopyFileA(self, copy.c_str(), FALSE);
    HMODULE pathModule = LoadLibraryExA(copy.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (pathModule == nullptr) {
        fprintf(stderr, "cannot load %s (error %lu)\n", copy.c_str(), GetLastError());
        return 1;
    }
    g_instance = pathModule;
    char path[260];
    History_GetIniPath(path, sizeof path);

    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONSOLE), nullptr,
                                     PlainDialogProc, 0);
    if (dialog == nullptr) {
        fprintf(stderr, "cannot create the console dialog\n");
        return 1;
    }
    g_consoleDialog = dialog;
    HWND list = GetDlgItem(dialog, IDC_HISTORY_LIST);

    printf("history file: %s\n", path);
    printf("%8s %12s %12s %12s %16s\n", "entries", "save ms", "load ms", "report ms", "one-call save ms");
    const int sizes[] = {10, 100, 1000};
    for (int size : sizes) {
        int rounds = size >= 1000 ? 3 : 15;
        std::vector<double> saves, loads, reports, sectionSaves;
        for (int round = 0; round < rounds; ++round) {
            DeleteFileA(path);
            Fill(list, size);
            double start = Now();
            History_Save(list);
            saves.push_back(Now() - start);

            SendMessageA(list, LB_RESETCONTENT, 0, 0);
            start = Now();
            History_Load(dialog);
            loads.push_back(Now() - start);
            Drain();
            if (SendMessageA(list, LB_GETCOUNT, 0, 0) != size) {
                fprintf(stderr, "loaded %ld entries instead of %d\n",
                        static_cast<long>(SendMessageA(list, LB_GETCOUNT, 0, 0)), size);
                return 1;
            }

            // A page the frame reports that the list does not hold yet.
            std::string reported = Entry(size + round) + "|new";
            start = Now();
            History_AddIfAbsent(reported.c_str());
            reports.push_back(Now() - start);
            SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(size), 0);

            DeleteFileA(path);
            start = Now();
            WriteSectionAtOnce(list, path);
            sectionSaves.push_back(Now() - start);
        }
        printf("%8d %12.2f %12.2f %12.2f %16.2f\n", size, Median(saves), Median(loads), Median(reports),
               Median(sectionSaves));
    }
    printf("(medians; 'report' is a page report to the saved file: search, add, full save)\n");

    DestroyWindow(dialog);
    FreeLibrary(pathModule);
    DeleteFileA(path);
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(dir.c_str());
    return 0;
}
