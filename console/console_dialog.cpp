// The console dialog: title, command dispatch, and the end of the dialog.
#include "console/console_dialog.h"

#include "app/frame_tracker.h"
#include "app/startup.h"
#include "console/add_location.h"
#include "console/history.h"
#include "res/resource.h"

HWND g_consoleDialog;

namespace {

BOOL ConsoleDialog_OnInitDialog(HWND dialog)
{
    g_consoleDialog = dialog;
    char title[1024];
    if (LoadStringA(g_instance, IDS_CONSOLE_TITLE, title, sizeof title) > 0)
        SetWindowTextA(dialog, title);
    History_Load(dialog);
    return TRUE;
}

BOOL ConsoleDialog_OnCommand(HWND dialog, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDCANCEL:
    case IDM_EXIT:
        FrameTracker_CloseFrame();
        EndDialog(dialog, 0);
        return TRUE;
    case IDC_HISTORY_LIST: return History_OnListNotify(dialog, HIWORD(wParam));
    case IDC_NAVIGATE: return FrameTracker_OnNavigateCommand(dialog);
    case IDC_CLEAR_HISTORY: return History_Clear();
    case IDC_ADD: return AddLocation_OnAddCommand(dialog);
    case IDC_DELETE: return History_DeleteSelected(dialog);
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK ConsoleDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    BOOL handled = FALSE;
    switch (message) {
    case WM_INITDIALOG:
        handled = ConsoleDialog_OnInitDialog(dialog);
        break;
    case WM_COMMAND:
        handled = ConsoleDialog_OnCommand(dialog, wParam);
        break;
    default:
        break;
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
