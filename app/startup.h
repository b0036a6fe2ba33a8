// Start-up and shutdown of the console process.
#pragma once

#include <windows.h>

// The program's own module handle, stored before anything else.
extern HINSTANCE g_instance;
// The CBT hook through which frame windows are found; null while none is installed.
extern HHOOK g_hook;

// The whole life of the process after WinMain: single-instance rule, hook,
// framework initialisation, console dialog, shutdown. Returns the exit code 0
// (a binding failure ends the process inside, with exit code 1).
int Startup_Run(HINSTANCE instance, LPSTR commandLine);

// The shutdown steps, in reverse order of acquisition: unload the framework
// if it was initialised (initResult nonzero), then remove the hook.
void Startup_Shutdown(BOOL initResult);

// Runs the shutdown steps when start-up is left, by a return or by an
// exception passing through (which then travels on).
class StartupShutdownGuard {
public:
    StartupShutdownGuard() = default;
    ~StartupShutdownGuard() { Startup_Shutdown(initResult_); }
    StartupShutdownGuard(const StartupShutdownGuard&) = delete;
    StartupShutdownGuard& operator=(const StartupShutdownGuard&) = delete;
    // The result of InitOrvaneTovalen, stored as soon as the call returns.
    void SetInitResult(BOOL result) { initResult_ = result; }

private:
    BOOL initResult_ = FALSE;
};
