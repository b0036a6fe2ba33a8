// Start-up and shutdown of the console process: one console at a time, the
// frame-tracking hook, the framework's initialisation, the console dialog,
// and the release of the framework and the hook in reverse order.
#include "app/startup.h"

#include <commctrl.h>

#include "app/frame_tracker.h"
#include "console/console_dialog.h"
#include "framework/framework_interface.h"
#include "framework/framework_library.h"
#include "res/resource.h"

HINSTANCE g_instance;
HHOOK g_hook;

namespace {

const char kDialogClass[] = "#32770";
const char kClientName[] = "CON";
const int kTitleSize = 260;

// A running console is a top-level dialog titled with string 1 (its dialog
// takes the title when it initialises). Only brought to the front: a
// minimised console stays minimised.
bool Startup_ActivateRunningConsole(HINSTANCE instance)
{
    char title[kTitleSize];
    // Without its title there is nothing to look for: an empty title would
    // match any untitled dialog.
    if (LoadStringA(instance, IDS_CONSOLE_TITLE, title, sizeof title) <= 0)
        return false;
    HWND running = FindWindowA(kDialogClass, title);
    if (running == nullptr)
        return false;
    SetForegroundWindow(running);
    return true;
}

}  // namespace

void Startup_Shutdown(BOOL initResult)
{
    if (initResult)
        FrameworkLibrary_Unload();
    if (g_hook != nullptr) {
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
    }
}

int Startup_Run(HINSTANCE instance, LPSTR commandLine)
{
    g_instance = instance;
    StartupShutdownGuard shutdown;

    InitCommonControls();
    if (Startup_ActivateRunningConsole(instance))
        return 0;

    // Before the first framework call, so that a frame the framework creates
    // while it initialises is already seen.
    g_hook = SetWindowsHookExA(WH_CBT, FrameTracker_CbtHookProc, nullptr, GetCurrentThreadId());
    if (g_hook == nullptr)
        return 0;

    FrameworkInitInfo info{};
    info.size = sizeof info;
    info.version = FRAMEWORK_MIN_VERSION;
    info.locale = GetThreadLocale();
    info.client = kClientName;
    // The first framework call: it binds the library, or ends the process.
    BOOL initResult = InitOrvaneTovalen(&info);
    shutdown.SetInitResult(initResult);
    if (!initResult)
        return 0;

    // The command line is handed over unread: the program has no options.
    ConsoleDialog_Run(nullptr, reinterpret_cast<LPARAM>(commandLine));
    return 0;
}
