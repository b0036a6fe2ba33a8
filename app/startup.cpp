// Start-up and shutdown of the console process.
#include "app/startup.h"

#include <commctrl.h>

#include "console/console_dialog.h"

HINSTANCE g_instance;
HHOOK g_hook;

int Startup_Run(HINSTANCE instance, LPSTR commandLine)
{
    g_instance = instance;
    InitCommonControls();
    ConsoleDialog_Run(nullptr, reinterpret_cast<LPARAM>(commandLine));
    return 0;
}
