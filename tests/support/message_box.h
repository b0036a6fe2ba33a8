// Reading a message box that another process shows: its caption, its text,
// whether it has an owner, and dismissing it.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/test_support.h"

namespace test {

struct MessageBoxSeen {
    HWND window = nullptr;
    std::string caption;
    std::string text;      // the text of the message (the static control that is not the icon)
    bool hasIcon = false;  // an icon static control is present
    HWND owner = nullptr;
    int buttons = 0;
};

// Waits up to the time given for a visible dialog of the process and reads it.
bool WaitForMessageBox(const Process& process, DWORD milliseconds, MessageBoxSeen* seen);

// Presses OK.
void DismissMessageBox(HWND window);

}  // namespace test
