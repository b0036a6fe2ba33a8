// The console dialog created in the test program itself (modeless, from the
// resources linked into the test program), for tests that call its
// procedure and the log pane's routines directly.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace test {

class DialogHost {
public:
    DialogHost();
    ~DialogHost();
    DialogHost(const DialogHost&) = delete;
    DialogHost& operator=(const DialogHost&) = delete;

    HWND Dialog() const { return dialog_; }
    HWND LogList() const { return GetDlgItem(dialog_, 1007); }
    HWND HistoryList() const { return GetDlgItem(dialog_, 1001); }
    HMENU SettingsMenu() const { return GetSubMenu(GetMenu(dialog_), 1); }
    void Destroy();

    // Lines of the log list, read in this process (ANSI).
    std::vector<std::string> LogLines() const;

private:
    HWND dialog_ = nullptr;
};

// Counts the beeps of the log pane while it exists (replaces its beep).
class BeepCounter {
public:
    BeepCounter();
    ~BeepCounter();
    BeepCounter(const BeepCounter&) = delete;
    BeepCounter& operator=(const BeepCounter&) = delete;
    int Count() const;
    UINT LastType() const;
    void Reset();
};

}  // namespace test
