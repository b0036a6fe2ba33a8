// Helpers shared by the test programs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace test {

// The directory of the running test program (the build's bin directory),
// without a trailing backslash.
std::string ExeDir();

// A path under the build's bin directory, e.g. BinPath("variants\\old\\Tovalen.dll").
std::string BinPath(const std::string& relative);

// GetProcAddress typed as the function it returns (nullptr when missing).
template <typename Function>
Function ProcAs(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A fresh directory under the temporary directory, removed with its contents
// when the object is destroyed.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

void CopyInto(const std::string& source, const std::string& directory, const std::string& name = "");
std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
// Lines of a text file, without their line ends.
std::vector<std::string> ReadLines(const std::string& path);

// Sets an environment variable for this process (and the processes it starts)
// and restores the previous value when destroyed.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string old_;
    bool hadOld_;
};

// The title the console's dialog takes (string 1).
extern const char kConsoleTitle[];

// A started program, killed on destruction if it still runs.
class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts <exe> with <arguments> in <workingDir>; false if it cannot start.
    bool Start(const std::string& exe, const std::string& arguments, const std::string& workingDir);
    // Waits for the process to end; returns its exit code, or -1 on time-out.
    long Wait(DWORD milliseconds);
    bool Running() const;
    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }

    // A visible top-level window of this process with the class and title
    // (nullptr for any), waited for up to the time given.
    HWND WaitForWindow(const char* className, const char* title, DWORD milliseconds) const;

private:
    PROCESS_INFORMATION info_{};
};

// A console set up in a temporary directory of its own: TovaCon.exe and the
// stand-in Tovalen.dll copied in, TovaCon.ini and the call record there.
class ConsoleFixture {
public:
    ConsoleFixture();
    const std::string& Dir() const { return dir_.Path(); }
    std::string CallRecordPath() const { return dir_.File("calls.txt"); }
    // Starts the console in its directory with the call record enabled and
    // waits for its dialog; nullptr if it did not appear.
    HWND Start(const std::string& arguments = "", DWORD milliseconds = 30000);
    Process& Program() { return process_; }
    std::vector<std::string> CallRecord() const { return ReadLines(CallRecordPath()); }

private:
    TempDir dir_;
    Process process_;
};

}  // namespace test
