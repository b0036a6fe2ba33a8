// The eyes and the launcher of the real-input suite. The suite drives the
// console only with X input (xdotool); this program reports what the console
// then shows and holds, as plain text lines on stdout, one per query:
//
//   probe [desktop <name>] <command> [arguments] [<command> ...]
//
// Windows are looked up on the Wine desktop named by "desktop" (the virtual
// desktop the suite runs in); without it, on the caller's own desktop.
// "launch" starts a program as its debugger, so that it can record the
// program's debugger output, any crash and the exit code into files.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "standin/standin_debug.h"
#include "tests/support/clipboard.h"

namespace {

const char kSettingsKey[] = "Software\\Orvane\\Orvane Shared Components\\Tovalen\\Settings";
const char kConsoleTitle[] = "Orvane Tovalen Console - For Internal Use Only";

HWND g_target;            // the window that control queries refer to
bool g_noDesktop;         // the desktop asked for does not exist (any more)
std::string g_targetTitle = kConsoleTitle;

// Text on one line: CR, LF, tab and backslash escaped, other bytes as they are.
std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        default: out += c; break;
        }
    }
    return out;
}

struct TopSearch {
    const char* className;  // nullptr: any
    const char* title;      // nullptr: any
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<TopSearch*>(lParam);
    if (!IsWindowVisible(window))
        return TRUE;
    char text[1024];
    if (search->className) {
        GetClassNameA(window, text, sizeof text);
        if (lstrcmpiA(text, search->className) != 0)
            return TRUE;
    }
    if (search->title) {
        text[0] = '\0';
        GetWindowTextA(window, text, sizeof text);
        if (strcmp(text, search->title) != 0)
            return TRUE;
    }
    search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> FindTop(const char* className, const char* title)
{
    TopSearch search{className, title, {}};
    if (g_noDesktop)
        return search.found;
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Target()
{
    if (g_target == nullptr || !IsWindow(g_target)) {
        std::vector<HWND> windows = FindTop(nullptr, g_targetTitle.c_str());
        g_target = windows.empty() ? nullptr : windows.front();
    }
    return g_target;
}

HWND Control(int id)
{
    HWND window = Target();
    if (window == nullptr)
        return nullptr;
    return id == 0 ? window : GetDlgItem(window, id);
}

std::string ListText(HWND list, int index)
{
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR)
        return "<error>";
    std::vector<wchar_t> wide(static_cast<size_t>(length) + 1);
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(wide.data()));
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(bytes > 0 ? static_cast<size_t>(bytes) : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, &text[0], bytes, nullptr, nullptr);
    text.resize(strlen(text.c_str()));
    return text;
}

void PrintRect(const char* what, const std::string& name, const RECT& r)
{
    printf("%s %s %ld %ld %ld %ld\n", what, name.c_str(), r.left, r.top, r.right, r.bottom);
}

bool ReadSetting(const char* name, DWORD* value)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = sizeof *value;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && size == sizeof *value;
}

void WriteSetting(const char* name, DWORD value)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

void DeleteSetting(const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

// Runs <command line> in <directory> as its debugger: debugger output lines go
// to <out>.debug, exceptions the program does not handle to <out>.crash, and
// the exit code to <out>.exit once it has ended. Returns the exit code.
int Launch(const std::string& commandLine, const std::string& directory, const std::string& out)
{
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                        directory.c_str(), &startup, &info)) {
        FILE* f = fopen((out + ".exit").c_str(), "w");
        if (f) {
            fprintf(f, "cannot-start %lu\n", GetLastError());
            fclose(f);
        }
        return 1;
    }
    FILE* debugLog = fopen((out + ".debug").c_str(), "wb");
    bool firstBreakpoint = true;
    DWORD exitCode = 0;
    for (;;) {
        DEBUG_EVENT event;
        if (!WaitForDebugEvent(&event, INFINITE))
            break;
        DWORD status = DBG_CONTINUE;
        if (event.dwDebugEventCode == OUTPUT_DEBUG_STRING_EVENT && debugLog) {
            const OUTPUT_DEBUG_STRING_INFO& s = event.u.DebugString;
            std::vector<char> text(s.nDebugStringLength + 1u, '\0');
            SIZE_T read = 0;
            if (!s.fUnicode && ReadProcessMemory(info.hProcess, s.lpDebugStringData, text.data(),
                                                 s.nDebugStringLength, &read)) {
                fputs(text.data(), debugLog);
                fflush(debugLog);
            }
        } else if (event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT) {
            const EXCEPTION_RECORD& r = event.u.Exception.ExceptionRecord;
            if (r.ExceptionCode == EXCEPTION_BREAKPOINT && firstBreakpoint) {
                firstBreakpoint = false;
            } else {
                status = DBG_EXCEPTION_NOT_HANDLED;
                // Wine raises a few first-chance exceptions of its own (thread
                // names, debugger notices); only a second chance is a crash.
                if (!event.u.Exception.dwFirstChance) {
                    FILE* f = fopen((out + ".crash").c_str(), "a");
                    if (f) {
                        fprintf(f, "exception 0x%08lx at %p\n", r.ExceptionCode, r.ExceptionAddress);
                        fclose(f);
                    }
                }
            }
        } else if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT) {
            if (event.u.CreateProcessInfo.hFile)
                CloseHandle(event.u.CreateProcessInfo.hFile);
        } else if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT) {
            if (event.u.LoadDll.hFile)
                CloseHandle(event.u.LoadDll.hFile);
        } else if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
            exitCode = event.u.ExitProcess.dwExitCode;
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
    if (debugLog)
        fclose(debugLog);
    WaitForSingleObject(info.hProcess, 10000);
    GetExitCodeProcess(info.hProcess, &exitCode);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    std::string exitPath = out + ".exit";
    std::string temp = exitPath + ".tmp";
    FILE* f = fopen(temp.c_str(), "w");
    if (f) {
        fprintf(f, "%lu\n", exitCode);
        fclose(f);
        MoveFileExA(temp.c_str(), exitPath.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    return static_cast<int>(exitCode);
}

// Reads the check marks of an open popup menu from its picture: <file> holds
// <width> x <height> pixels, 3 bytes each (red, green, blue), row by row, as
// captured from the screen. Items are the bands of rows that carry ink (pixels
// far from their row's usual colour; separators are rows of one colour and
// carry none); an item is checked when its band has ink left of the column
// where the item texts begin. Prints "marks <n> <0|1>...".
void PrintMenuMarks(const std::string& file, int width, int height)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
    FILE* f = fopen(file.c_str(), "rb");
    size_t read = f ? fread(pixels.data(), 1, pixels.size(), f) : 0;
    if (f)
        fclose(f);
    if (width < 16 || height < 8 || read != pixels.size()) {
        printf("marks error\n");
        return;
    }
    auto lum = [&](int x, int y) {
        const unsigned char* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
        return (p[0] * 30 + p[1] * 59 + p[2] * 11) / 100;
    };
    const int left = 4, right = width - 5;  // inside the menu's frame
    std::vector<std::vector<bool>> ink(height, std::vector<bool>(width, false));
    std::vector<bool> rowInk(height, false);
    for (int y = 3; y < height - 3; ++y) {
        int histogram[256] = {};
        for (int x = left; x <= right; ++x)
            ++histogram[lum(x, y)];
        int background = 0;
        for (int v = 1; v < 256; ++v)
            if (histogram[v] > histogram[background])
                background = v;
        for (int x = left; x <= right; ++x) {
            int d = lum(x, y) - background;
            if (d > 96 || d < -96) {
                ink[y][x] = true;
                rowInk[y] = true;
            }
        }
    }
    struct Band { int top, bottom, firstInk; };
    std::vector<Band> bands;
    for (int y = 0; y < height; ++y) {
        if (!rowInk[y])
            continue;
        int first = right + 1;
        for (int x = left; x <= right && first > right; ++x)
            if (ink[y][x])
                first = x;
        if (!bands.empty() && y - bands.back().bottom <= 3) {
            bands.back().bottom = y;
            bands.back().firstInk = first < bands.back().firstInk ? first : bands.back().firstInk;
        } else {
            bands.push_back({y, y, first});
        }
    }
    // Unchecked items begin at the text column; at least one item is unchecked
    // in every menu this is used on (one style of three is checked).
    int textColumn = 0;
    for (const Band& band : bands)
        textColumn = band.firstInk > textColumn ? band.firstInk : textColumn;
    printf("marks %zu", bands.size());
    for (const Band& band : bands)
        printf(" %d", band.firstInk < textColumn - 2 ? 1 : 0);
    printf("\n");
}

// Reports the check state of each item of the console's Settings menu.
void PrintMenuChecks()
{
    static const int kItems[] = {40002, 40003, 40004, 40009, 40008, 40007, 40010};
    HWND window = Target();
    HMENU bar = window ? GetMenu(window) : nullptr;
    HMENU settings = bar ? GetSubMenu(bar, 1) : nullptr;
    for (int id : kItems) {
        UINT state = settings ? GetMenuState(settings, id, MF_BYCOMMAND) : static_cast<UINT>(-1);
        if (state == static_cast<UINT>(-1))
            printf("menu %d error\n", id);
        else
            printf("menu %d %s\n", id, (state & MF_CHECKED) ? "checked" : "unchecked");
    }
}

bool WaitFor(const std::string& title, DWORD milliseconds, bool present)
{
    DWORD start = GetTickCount();
    for (;;) {
        bool exists = !FindTop(nullptr, title.c_str()).empty();
        if (exists == present)
            return true;
        if (GetTickCount() - start >= milliseconds)
            return false;
        Sleep(50);
    }
}

int Usage()
{
    fprintf(stderr, "usage: probe [desktop <name>] <command> ... (see the header of probe.cpp)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    size_t i = 0;
    auto next = [&](std::string* value) {
        if (i >= args.size())
            return false;
        *value = args[i++];
        return true;
    };
    std::string a, b, c;
    while (i < args.size()) {
        std::string command = args[i++];
        if (command == "desktop") {
            if (!next(&a))
                return Usage();
            // The desktop appears a moment after its explorer starts, and goes
            // when the last program on it has ended: then it has no windows.
            HDESK desk = nullptr;
            for (int attempt = 0; attempt < 30 && desk == nullptr; ++attempt) {
                desk = OpenDesktopA(a.c_str(), 0, FALSE, GENERIC_ALL);
                if (desk == nullptr)
                    Sleep(100);
            }
            if (desk == nullptr || !SetThreadDesktop(desk))
                g_noDesktop = true;
        } else if (command == "launch") {
            // launch <directory> <output base> <command line>
            if (!next(&a) || !next(&b) || !next(&c))
                return Usage();
            return Launch(c, a, b);
        } else if (command == "window") {
            if (!next(&a))
                return Usage();
            g_targetTitle = a;
            g_target = nullptr;
        } else if (command == "wait" || command == "gone") {
            if (!next(&a) || !next(&b))
                return Usage();
            bool ok = WaitFor(a, strtoul(b.c_str(), nullptr, 10), command == "wait");
            printf("%s %s\n", command.c_str(), ok ? "yes" : "no");
        } else if (command == "count") {
            if (!next(&a))
                return Usage();
            printf("count %zu\n", FindTop(nullptr, a.c_str()).size());
        } else if (command == "classrect") {
            // Visible top-level windows of a class, e.g. "#32768" (popup menus).
            if (!next(&a))
                return Usage();
            std::vector<HWND> windows = FindTop(a.c_str(), nullptr);
            if (windows.empty())
                printf("classrect %s none\n", a.c_str());
            for (HWND w : windows) {
                RECT r;
                GetWindowRect(w, &r);
                PrintRect("classrect", a, r);
            }
        } else if (command == "rect" || command == "client") {
            if (!next(&a))
                return Usage();
            HWND control = Control(atoi(a.c_str()));
            RECT r{};
            if (control == nullptr) {
                printf("%s %s none\n", command.c_str(), a.c_str());
                continue;
            }
            if (command == "rect") {
                GetWindowRect(control, &r);
            } else {
                GetClientRect(control, &r);
                MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&r), 2);
            }
            PrintRect(command.c_str(), a, r);
        } else if (command == "list") {
            if (!next(&a))
                return Usage();
            HWND list = Control(atoi(a.c_str()));
            if (list == nullptr) {
                printf("list %s none\n", a.c_str());
                continue;
            }
            LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
            printf("list %s %ld\n", a.c_str(), static_cast<long>(count));
            for (LRESULT k = 0; k < count; ++k)
                printf("item %s %ld %s\n", a.c_str(), static_cast<long>(k),
                       Escape(ListText(list, static_cast<int>(k))).c_str());
        } else if (command == "sel") {
            // The selected entries of a list box, comma-separated, or "none".
            if (!next(&a))
                return Usage();
            HWND list = Control(atoi(a.c_str()));
            if (list == nullptr) {
                printf("sel %s error\n", a.c_str());
                continue;
            }
            std::string result;
            if (GetWindowLongA(list, GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL)) {
                LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
                for (LRESULT k = 0; k < count; ++k) {
                    if (SendMessageW(list, LB_GETSEL, k, 0) > 0)
                        result += (result.empty() ? "" : ",") + std::to_string(k);
                }
            } else {
                LRESULT s = SendMessageW(list, LB_GETCURSEL, 0, 0);
                if (s != LB_ERR)
                    result = std::to_string(s);
            }
            printf("sel %s %s\n", a.c_str(), result.empty() ? "none" : result.c_str());
        } else if (command == "topindex") {
            if (!next(&a))
                return Usage();
            HWND list = Control(atoi(a.c_str()));
            printf("topindex %s %ld\n", a.c_str(), list ? static_cast<long>(SendMessageW(list, LB_GETTOPINDEX, 0, 0)) : -1L);
        } else if (command == "itemheight") {
            if (!next(&a))
                return Usage();
            HWND list = Control(atoi(a.c_str()));
            printf("itemheight %s %ld\n", a.c_str(), list ? static_cast<long>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)) : -1L);
        } else if (command == "enabled") {
            if (!next(&a))
                return Usage();
            HWND control = Control(atoi(a.c_str()));
            printf("enabled %s %s\n", a.c_str(), control == nullptr ? "none" : IsWindowEnabled(control) ? "1" : "0");
        } else if (command == "text") {
            if (!next(&a))
                return Usage();
            // WM_GETTEXT itself: GetWindowText does not ask a window of another
            // process, so it would miss what was typed into an edit control.
            HWND control = Control(atoi(a.c_str()));
            wchar_t wide[2048] = L"";
            char text[4096] = "";
            if (control) {
                DWORD_PTR copied = 0;
                SendMessageTimeoutW(control, WM_GETTEXT, sizeof wide / sizeof wide[0], reinterpret_cast<LPARAM>(wide),
                                    SMTO_NORMAL, 5000, &copied);
                WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
            }
            printf("text %s %s\n", a.c_str(), control ? Escape(text).c_str() : "<none>");
        } else if (command == "focus") {
            // The control that has the keyboard focus in the target's thread.
            HWND window = Target();
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            DWORD thread = window ? GetWindowThreadProcessId(window, nullptr) : 0;
            if (thread == 0 || !GetGUIThreadInfo(thread, &info) || info.hwndFocus == nullptr) {
                printf("focus none\n");
                continue;
            }
            char className[256] = "";
            GetClassNameA(info.hwndFocus, className, sizeof className);
            printf("focus %d %s\n", GetDlgCtrlID(info.hwndFocus), className);
        } else if (command == "foreground") {
            HWND w = GetForegroundWindow();
            char text[1024] = "";
            if (w)
                GetWindowTextA(w, text, sizeof text);
            printf("foreground %s\n", text);
        } else if (command == "menumarks") {
            if (!next(&a) || !next(&b) || !next(&c))
                return Usage();
            PrintMenuMarks(a, atoi(b.c_str()), atoi(c.c_str()));
        } else if (command == "menu") {
            PrintMenuChecks();
        } else if (command == "reg") {
            if (!next(&a))
                return Usage();
            DWORD value = 0;
            if (ReadSetting(a.c_str(), &value))
                printf("reg %s 0x%08lx\n", a.c_str(), value);
            else
                printf("reg %s absent\n", a.c_str());
        } else if (command == "regset") {
            if (!next(&a) || !next(&b))
                return Usage();
            WriteSetting(a.c_str(), strtoul(b.c_str(), nullptr, 0));
        } else if (command == "regdel") {
            if (!next(&a))
                return Usage();
            DeleteSetting(a.c_str());
        } else if (command == "clip") {
            printf("clip %s\n", Escape(test::ClipboardText()).c_str());
        } else if (command == "clipset") {
            if (!next(&a))
                return Usage();
            test::SetClipboardText(a);
        } else if (command == "hittest") {
            // hittest <x> <y>: what the target window says is at that screen
            // point (WM_NCHITTEST), to confirm a computed click position.
            if (!next(&a) || !next(&b))
                return Usage();
            HWND window = Target();
            LRESULT hit = window ? SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(atoi(a.c_str()), atoi(b.c_str()))) : -100;
            printf("hittest %ld\n", static_cast<long>(hit));
        } else if (command == "freepoint") {
            // A point where a click reaches the target window itself and no
            // control: on its caption if some of it is uncovered, otherwise on
            // its dialog background. Prints "freepoint <x> <y>" or "freepoint none".
            HWND window = Target();
            RECT r{};
            if (window)
                GetWindowRect(window, &r);
            bool found = false;
            POINT p{};
            int captionY = r.top + GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
            for (LONG x = r.right - 4 * GetSystemMetrics(SM_CXSIZE); window && !found && x > r.left + 8; x -= 8) {
                p = {x, captionY};
                found = WindowFromPoint(p) == window &&
                        SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)) == HTCAPTION;
            }
            for (LONG y = r.bottom - 6; window && !found && y > r.top; y -= 6) {
                for (LONG x = r.left + 6; !found && x < r.right - 6; x += 6) {
                    p = {x, y};
                    found = WindowFromPoint(p) == window &&
                            SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)) == HTCLIENT;
                }
            }
            if (found)
                printf("freepoint %ld %ld\n", p.x, p.y);
            else
                printf("freepoint none\n");
        } else if (command == "metrics") {
            printf("metrics caption=%d size=%d,%d dlgframe=%d,%d menu=%d\n", GetSystemMetrics(SM_CYCAPTION),
                   GetSystemMetrics(SM_CXSIZE), GetSystemMetrics(SM_CYSIZE), GetSystemMetrics(SM_CXDLGFRAME),
                   GetSystemMetrics(SM_CYDLGFRAME), GetSystemMetrics(SM_CYMENU));
        } else if (command == "responsive") {
            // Whether the target answers a message within <ms> milliseconds.
            if (!next(&a))
                return Usage();
            HWND window = Target();
            DWORD_PTR result = 0;
            bool ok = window && SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                                    strtoul(a.c_str(), nullptr, 10), &result);
            printf("responsive %s\n", ok ? "yes" : "no");
        } else if (command == "terminate") {
            // Ends the programs that own windows titled <title>: the suite's
            // last resort after a failed step, never a step itself.
            if (!next(&a))
                return Usage();
            for (HWND w : FindTop(nullptr, a.c_str())) {
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
                if (process) {
                    TerminateProcess(process, 99);
                    CloseHandle(process);
                }
            }
        } else if (command == "format") {
            // format <library file> <library name> <page name>: the location the
            // framework library composes from the two fields, as the console's
            // add-location dialog asks it to.
            if (!next(&a) || !next(&b) || !next(&c))
                return Usage();
            using FormatLocation = BOOL(__cdecl*)(char*, int, const char*, int, ...);
            HMODULE library = LoadLibraryA(a.c_str());
            auto format = library ? reinterpret_cast<FormatLocation>(
                                        reinterpret_cast<void*>(GetProcAddress(library, "TovalenFormatLocation")))
                                  : nullptr;
            char location[520] = "";
            if (format == nullptr) {
                printf("format <unavailable>\n");
            } else {
                format(location, sizeof location, b.c_str(), 1, "ID", c.c_str());
                location[sizeof location - 1] = '\0';
                printf("format %s\n", Escape(location).c_str());
            }
            if (library)
                FreeLibrary(library);
        } else if (command == "debugevents") {
            // debugevents <category> <count> <flags> <text>: asks the stand-in
            // framework in the console to report <count> debug events, as the
            // framework does on its own; flags "worker", "numbered", both
            // comma-separated, or "none". Prints the control window's answer.
            std::string count, flags, text;
            if (!next(&a) || !next(&count) || !next(&flags) || !next(&text))
                return Usage();
            HWND control = g_noDesktop ? nullptr : FindWindowA(STANDIN_CONTROL_CLASS, nullptr);
            std::vector<char> data(sizeof(StandinDebugRequest) + text.size() + 1);
            StandinDebugRequest request{};
            request.category = strtoul(a.c_str(), nullptr, 0);
            request.count = strtoul(count.c_str(), nullptr, 0);
            request.flags = (flags.find("worker") != std::string::npos ? STANDIN_DEBUG_ON_WORKER : 0) |
                            (flags.find("numbered") != std::string::npos ? STANDIN_DEBUG_NUMBERED : 0);
            memcpy(data.data(), &request, sizeof request);
            memcpy(data.data() + sizeof request, text.c_str(), text.size() + 1);
            COPYDATASTRUCT copy{STANDIN_DEBUG_EVENTS, static_cast<DWORD>(data.size()), data.data()};
            DWORD_PTR result = 0;
            bool sent = control && SendMessageTimeoutA(control, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy),
                                                       SMTO_NORMAL, 60000, &result);
            printf("debugevents %s\n", sent ? std::to_string(result).c_str() : "unsent");
        } else if (command == "debugpending") {
            HWND control = g_noDesktop ? nullptr : FindWindowA(STANDIN_CONTROL_CLASS, nullptr);
            COPYDATASTRUCT copy{STANDIN_DEBUG_PENDING, 0, nullptr};
            DWORD_PTR result = 0;
            bool sent = control && SendMessageTimeoutA(control, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy),
                                                       SMTO_NORMAL, 10000, &result);
            printf("debugpending %s\n", sent ? std::to_string(result).c_str() : "unsent");
        } else if (command == "sleep") {
            if (!next(&a))
                return Usage();
            Sleep(strtoul(a.c_str(), nullptr, 10));
        } else {
            fprintf(stderr, "probe: unknown command %s\n", command.c_str());
            return Usage();
        }
        fflush(stdout);
    }
    return 0;
}
