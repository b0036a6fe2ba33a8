// Entry point of TovaCon.exe.
#include <windows.h>

#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    return Startup_Run(instance, commandLine);
}
