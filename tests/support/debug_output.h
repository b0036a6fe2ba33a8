// A debugger-output monitor for tests: receives what programs write with
// OutputDebugStringA through the system-wide DBWIN_BUFFER protocol (works
// between processes, and for the test's own process from another thread).
// Only one monitor can run in a session at a time.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test {

class DebugOutputRecorder {
public:
    DebugOutputRecorder();
    ~DebugOutputRecorder();
    DebugOutputRecorder(const DebugOutputRecorder&) = delete;
    DebugOutputRecorder& operator=(const DebugOutputRecorder&) = delete;

    // False when the shared buffer or its events could not be created.
    bool Active() const { return active_; }
    // Every text received so far from the process, in order, exactly as written.
    std::vector<std::string> Texts(DWORD processId) const;
    // How many received texts from the process equal text exactly.
    int Count(DWORD processId, const std::string& text) const;
    // Waits up to milliseconds until Count(processId, text) reaches count.
    bool WaitFor(DWORD processId, const std::string& text, int count, DWORD milliseconds) const;

private:
    void Run();

    struct Entry {
        DWORD processId;
        std::string text;
    };
    HANDLE mapping_ = nullptr;
    HANDLE bufferReady_ = nullptr;
    HANDLE dataReady_ = nullptr;
    HANDLE stop_ = nullptr;
    const char* view_ = nullptr;
    bool active_ = false;
    mutable std::mutex lock_;
    std::vector<Entry> received_;
    std::thread thread_;
};

}  // namespace test
