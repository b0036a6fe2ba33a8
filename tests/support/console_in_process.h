// The console dialog (102) run inside the test's own process, as the program
// runs it: the program's resources are linked into the test program, the
// frame-tracking hook watches the test's thread, and the stand-in framework
// beside the test program answers the framework calls. The history file is
// TovaCon.ini beside the test program, which therefore runs in a build
// directory of its own.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace test {

class InProcessConsole {
public:
    // Removes any TovaCon.ini left beside the test program and installs the hook.
    InProcessConsole();
    // Destroys every frame window and the dialog, removes the hook and TovaCon.ini.
    ~InProcessConsole();
    InProcessConsole(const InProcessConsole&) = delete;
    InProcessConsole& operator=(const InProcessConsole&) = delete;

    // Creates the dialog (modeless, shown only when asked) and lets its
    // initialisation and posted messages run; nullptr if it could not be created.
    HWND Open(bool visible = false);
    HWND Dialog() const { return dialog_; }
    HWND List() const { return GetDlgItem(dialog_, 1001); }

    // Dispatches the thread's pending messages (through the dialog manager) for
    // about the given time.
    void Pump(DWORD milliseconds = 30) const;
    // Sends WM_COMMAND with the identifier and notification code, then pumps.
    void Command(WORD id, WORD code = 0) const;

    static std::string IniPath();
    std::vector<std::string> Entries() const;
    int Selection() const;
    bool Enabled(int id) const;

private:
    HWND dialog_ = nullptr;
};

// Top-level windows of the class (case ignored) on the calling thread.
std::vector<HWND> ThreadWindowsOfClass(const char* className);

}  // namespace test
