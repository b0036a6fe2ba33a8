// The console dialog: initialisation in a fixed order, one handler per
// message, and a command table that hands each command to the module that
// owns it (one line per command).
#include "console/console_dialog.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "app/frame_tracker.h"
#include "app/startup.h"
#include "console/add_location.h"
#include "console/debug_log.h"
#include "console/history.h"
#include "console/settings.h"
#include "framework/framework_interface.h"
#include "res/resource.h"
#include "util/handles.h"

HWND g_consoleDialog;

namespace {

BOOL ConsoleDialog_OnTimer(HWND dialog, WPARAM timer)
{
    return DebugLog_OnTimer(dialog, timer);
}

BOOL ConsoleDialog_OnDebugLogText(HWND dialog, LPARAM text)
{
    DebugLog_OnSentText(dialog, reinterpret_cast<const char*>(text));
    return TRUE;
}

BOOL ConsoleDialog_OnDestroy(HWND dialog)
{
    DebugLog_Detach(dialog);
    return TRUE;
}

BOOL ConsoleDialog_End(HWND dialog)
{
    FrameTracker_CloseFrame();
    EndDialog(dialog, 0);
    return TRUE;
}

}  // namespace

BOOL ConsoleDialog_OnInitDialog(HWND dialog)
{
    g_consoleDialog = dialog;
    char title[1024];
    if (LoadStringA(g_instance, IDS_CONSOLE_TITLE, title, sizeof title) > 0)
        SetWindowTextA(dialog, title);
    SendMessageA(dialog, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadIconA(g_instance, MAKEINTRESOURCEA(IDI_CONSOLE))));
    DebugLog_ReadMask();
    Settings_Read();
    SettingsMenu_UpdateChecks(dialog);
    // The pane takes events from here on: the callback may report at once.
    DebugLog_Attach(dialog);
    TovalenRegisterDebugger(ConsoleDebuggerProc, reinterpret_cast<LPARAM>(dialog), 0);
    History_Load(dialog);
    ConsoleDialog_FitListExtent(GetDlgItem(dialog, IDC_HISTORY_LIST));
    return TRUE;
}

BOOL ConsoleDialog_OnCommand(HWND dialog, WPARAM wParam)
{
    UINT command = LOWORD(wParam);
    switch (command) {
    case IDCANCEL:          return ConsoleDialog_End(dialog);
    case IDM_EXIT:          return ConsoleDialog_End(dialog);
    case IDM_TRACE:         DebugLog_ToggleCategory(dialog, 1); return TRUE;
    case IDM_WARN:          DebugLog_ToggleCategory(dialog, 2); return TRUE;
    case IDM_FAIL:          DebugLog_ToggleCategory(dialog, 4); return TRUE;
    case IDM_COPY:          DebugLog_Copy(dialog); return TRUE;
    case IDM_CLEAR:         DebugLog_Clear(dialog); return TRUE;
    case IDM_STYLE_KESTRIN: Settings_OnStyleCommand(dialog, command); return TRUE;
    case IDM_STYLE_VANTREL: Settings_OnStyleCommand(dialog, command); return TRUE;
    case IDM_STYLE_DEFAULT: Settings_OnStyleCommand(dialog, command); return TRUE;
    case IDM_SHOW_PAGE_ID:  Settings_OnPageIdCommand(dialog); return TRUE;
    case IDC_HISTORY_LIST:  return History_OnListNotify(dialog, HIWORD(wParam));
    case IDC_NAVIGATE:      return FrameTracker_OnNavigateCommand(dialog);
    case IDC_CLEAR_HISTORY: return History_Clear();
    case IDC_ADD:           return AddLocation_OnAddCommand(dialog);
    case IDC_DELETE:        return History_DeleteSelected(dialog);
    default:                return FALSE;
    }
}

BOOL ConsoleDialog_OnContextMenu(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    if (reinterpret_cast<HWND>(wParam) != GetDlgItem(dialog, IDC_LOG_LIST))
        return TRUE;
    Menu menu(LoadMenuA(g_instance, MAKEINTRESOURCEA(IDM_LOG_CONTEXT)));
    if (!menu)
        return TRUE;
    HMENU popup = GetSubMenu(menu.Get(), 0);
    // A request from the keyboard comes with (-1, -1) and is shown there too.
    if (popup != nullptr)
        TrackPopupMenu(popup, 0, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), 0, dialog, nullptr);
    return TRUE;
}

void ConsoleDialog_FitListExtent(HWND list)
{
    if (list == nullptr)
        return;
    HDC dc = GetDC(list);
    if (dc == nullptr)
        return;
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    int widest = 0;
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    std::string text;
    for (int i = 0; i < count; ++i) {
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length == LB_ERR)
            continue;
        text.assign(static_cast<size_t>(length) + 1, '\0');
        LRESULT copied = SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
        SIZE size{};
        if (copied > 0 && GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(copied), &size))
            widest = std::max(widest, static_cast<int>(size.cx + metrics.tmAveCharWidth));
    }
    SelectObject(dc, oldFont);
    ReleaseDC(list, dc);
    SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);
}

INT_PTR CALLBACK ConsoleDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Called by the platform: nothing may escape.
    BOOL handled = FALSE;
    try {
        switch (message) {
        case WM_INITDIALOG:
            handled = ConsoleDialog_OnInitDialog(dialog);
            break;
        case WM_COMMAND:
            handled = ConsoleDialog_OnCommand(dialog, wParam);
            break;
        case WM_CONTEXTMENU:
            handled = ConsoleDialog_OnContextMenu(dialog, wParam, lParam);
            break;
        case WM_TIMER:
            handled = ConsoleDialog_OnTimer(dialog, wParam);
            break;
        case WM_DEBUGLOG_TEXT:
            handled = ConsoleDialog_OnDebugLogText(dialog, lParam);
            break;
        case WM_DESTROY:
            handled = ConsoleDialog_OnDestroy(dialog);
            break;
        default:
            break;
        }
    } catch (...) {
        handled = FALSE;
    }
    if (handled)
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
    return handled;
}

int ConsoleDialog_Run(HWND owner, LPARAM creationParameter)
{
    return static_cast<int>(DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_CONSOLE), owner,
                                            ConsoleDialogProc, creationParameter));
}
