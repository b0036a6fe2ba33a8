// Tracking the framework's frame window. No framework operation hands the
// console its frame window, so the console watches window creation on its own
// thread and subclasses the first "TovalenFrame" it sees.
#include "app/frame_tracker.h"

#include "app/startup.h"
#include "console/console_dialog.h"
#include "console/history.h"
#include "framework/framework_interface.h"
#include "res/resource.h"

HWND g_trackedFrame;
WNDPROC g_previousFrameProc;

namespace {

const char kSubclassingLine[] = "TovaCon: Subclassing frame window.\r\n";
const char kDestroyedLine[] = "TovaCon: Framewindow is destroyed.\r\n";
const WPARAM kNavigateWParam = 8;

void FrameTracker_OnCreateWindow(HWND window)
{
    if (g_trackedFrame != nullptr)
        return;
    char className[256];
    if (GetClassNameA(window, className, sizeof className) == 0)
        return;
    if (lstrcmpiA(className, FRAME_WINDOW_CLASS) != 0)
        return;
    OutputDebugStringA(kSubclassingLine);
    g_trackedFrame = window;
    g_previousFrameProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FrameTracker_SubclassProc)));
}

void FrameTracker_OnDestroyWindow(HWND window)
{
    if (window == nullptr || window != g_trackedFrame)
        return;
    OutputDebugStringA(kDestroyedLine);
    g_trackedFrame = nullptr;
}

}  // namespace

LRESULT CALLBACK FrameTracker_CbtHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND)
        FrameTracker_OnCreateWindow(reinterpret_cast<HWND>(wParam));
    else if (code == HCBT_DESTROYWND)
        FrameTracker_OnDestroyWindow(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

LRESULT CALLBACK FrameTracker_SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == FRAME_MSG_LOCATION) {
        const auto* report = reinterpret_cast<const FrameLocationReport*>(lParam);
        if (report != nullptr && report->location != nullptr)
            History_AddIfAbsent(report->location);
    }
    return CallWindowProcA(g_previousFrameProc, window, message, wParam, lParam);
}

BOOL FrameTracker_Navigate(HWND owner, const char* location)
{
    if (g_trackedFrame != nullptr) {
        SendMessageA(g_trackedFrame, FRAME_MSG_NAVIGATE, kNavigateWParam, reinterpret_cast<LPARAM>(location));
        return TRUE;
    }
    FrameworkWindowInfo info{};
    info.size = sizeof info;
    info.kind = 2;
    info.instance = g_instance;
    info.owner = owner;
    info.show = 1;
    info.location = location;
    info.iconId = IDI_CONSOLE;
    DoTovalenWindowA(&info);
    return TRUE;
}

BOOL FrameTracker_OnNavigateCommand(HWND dialog)
{
    char location[1024];
    location[0] = '\0';
    HWND list = GetDlgItem(dialog, IDC_HISTORY_LIST);
    LRESULT selection = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selection != LB_ERR) {
        // Entries are at most 1023 characters (History_AddIfAbsent, History_Load),
        // but an entry that does not fit is not read at all rather than overrun.
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(selection), 0);
        if (length != LB_ERR && length < static_cast<LRESULT>(sizeof location))
            SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(selection), reinterpret_cast<LPARAM>(location));
    }
    if (lstrlenA(location) > 0)
        FrameTracker_Navigate(dialog, location);
    return TRUE;
}

void FrameTracker_CloseFrame()
{
    if (IsWindow(g_trackedFrame))
        PostMessageA(g_trackedFrame, WM_CLOSE, 0, 0);
}
