// Helpers shared by the test programs.
#include "tests/support/test_support.h"

#include <stdio.h>

#include <fstream>
#include <sstream>

namespace test {

const char kConsoleTitle[] = "Orvane Tovalen Console - For Internal Use Only";

std::string ExeDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/"));
}

std::string BinPath(const std::string& relative)
{
    return ExeDir() + "\\" + relative;
}

static void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

TempDir::TempDir()
{
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    static LONG counter;
    for (;;) {
        char name[MAX_PATH];
        snprintf(name, sizeof name, "%stovacon-test-%lu-%ld", base, GetCurrentProcessId(),
                 InterlockedIncrement(&counter));
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            return;
        }
    }
}

TempDir::~TempDir()
{
    RemoveTree(path_);
}

void CopyInto(const std::string& source, const std::string& directory, const std::string& name)
{
    std::string target = directory + "\\" + (name.empty() ? source.substr(source.find_last_of("\\/") + 1) : name);
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) {
        fprintf(stderr, "cannot copy %s to %s (error %lu)\n", source.c_str(), target.c_str(), GetLastError());
        abort();
    }
}

std::string ReadFileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFileText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::istringstream in(ReadFileText(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name)
{
    char old[4096];
    DWORD n = GetEnvironmentVariableA(name, old, sizeof old);
    hadOld_ = n > 0 && n < sizeof old;
    if (hadOld_)
        old_.assign(old, n);
    SetEnvironmentVariableA(name, value);
}

ScopedEnv::~ScopedEnv()
{
    SetEnvironmentVariableA(name_.c_str(), hadOld_ ? old_.c_str() : nullptr);
}

Process::~Process()
{
    if (info_.hProcess) {
        if (Running()) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

bool Process::Start(const std::string& exe, const std::string& arguments, const std::string& workingDir)
{
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info_) != FALSE;
}

long Process::Wait(DWORD milliseconds)
{
    if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}

bool Process::Running() const
{
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

namespace {
struct WindowSearch {
    DWORD processId;
    const char* className;
    const char* title;
    HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->processId || !IsWindowVisible(window))
        return TRUE;
    char text[512];
    if (search->className) {
        GetClassNameA(window, text, sizeof text);
        if (lstrcmpiA(text, search->className) != 0)
            return TRUE;
    }
    if (search->title) {
        GetWindowTextA(window, text, sizeof text);
        if (lstrcmpA(text, search->title) != 0)
            return TRUE;
    }
    search->found = window;
    return FALSE;
}
}  // namespace

HWND Process::WaitForWindow(const char* className, const char* title, DWORD milliseconds) const
{
    DWORD start = GetTickCount();
    for (;;) {
        WindowSearch search{info_.dwProcessId, className, title, nullptr};
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        if (!Running() || GetTickCount() - start > milliseconds)
            return nullptr;
        Sleep(20);
    }
}

ConsoleFixture::ConsoleFixture()
{
    CopyInto(BinPath("TovaCon.exe"), dir_.Path());
    CopyInto(BinPath("Tovalen.dll"), dir_.Path());
}

HWND ConsoleFixture::Start(const std::string& arguments, DWORD milliseconds)
{
    ScopedEnv record("TOVALEN_STANDIN_LOG", CallRecordPath().c_str());
    if (!process_.Start(dir_.File("TovaCon.exe"), arguments, dir_.Path()))
        return nullptr;
    return process_.WaitForWindow("#32770", kConsoleTitle, milliseconds);
}

}  // namespace test
