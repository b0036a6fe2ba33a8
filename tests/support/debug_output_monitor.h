// Receives what the process sends with OutputDebugStringA while no debugger
// is attached, through the system's debugger-output protocol (the
// DBWIN_BUFFER section and its two events). Open one before the output is
// sent; Receive then returns the text, or fails after a time-out.
#pragma once

#include <windows.h>

#include <string>

namespace test {

class DebugOutputMonitor {
public:
    DebugOutputMonitor();
    ~DebugOutputMonitor();
    DebugOutputMonitor(const DebugOutputMonitor&) = delete;
    DebugOutputMonitor& operator=(const DebugOutputMonitor&) = delete;

    bool Ready() const { return view_ != nullptr; }
    // The next text sent, waited for up to the time given; false on time-out.
    bool Receive(std::string* text, DWORD milliseconds);

private:
    HANDLE bufferReady_ = nullptr;
    HANDLE dataReady_ = nullptr;
    HANDLE section_ = nullptr;
    const char* view_ = nullptr;
};

}  // namespace test
