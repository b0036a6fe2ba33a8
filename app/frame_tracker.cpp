// Tracking the framework's frame window.
#include "app/frame_tracker.h"

#include "app/startup.h"

LRESULT CALLBACK FrameTracker_CbtHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(g_hook, code, wParam, lParam);
}
