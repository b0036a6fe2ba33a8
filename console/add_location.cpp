// The add-location dialog. The console never parses or composes a location:
// the framework gives the fields of the location the dialog starts from and
// formats the new one from the two edit fields.
#include "console/add_location.h"

#include <commdlg.h>
#include <stddef.h>
#include <shellapi.h>

#include "app/startup.h"
#include "console/history.h"
#include "framework/framework_interface.h"
#include "res/resource.h"
#include "util/handles.h"

namespace {

const int kFieldSize = 260;
const char kPageField[] = "ID";
// The OPENFILENAMEA layout without the fields later platform versions added:
// 76 bytes in the 32-bit program.
const DWORD kOpenFileNameSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
#if defined(_M_IX86) || defined(__i386__)
static_assert(kOpenFileNameSize == 76, "the older OPENFILENAMEA layout is 76 bytes");
#endif
const DWORD kOpenFileFlags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;

// The location buffer of the running dialog; the dialog is modal, one at a time.
char* g_addLocationBuffer;

BOOL AddLocation_OnInitDialog(HWND dialog, LPARAM lParam)
{
    SendDlgItemMessageA(dialog, IDC_LIBRARY_NAME, EM_LIMITTEXT, kFieldSize, 0);
    SendDlgItemMessageA(dialog, IDC_PAGE_NAME, EM_LIMITTEXT, kFieldSize, 0);
    g_addLocationBuffer = reinterpret_cast<char*>(lParam);
    char field[kFieldSize];
    TovalenGetLocationFieldValue(g_addLocationBuffer, nullptr, field, kFieldSize);
    SetDlgItemTextA(dialog, IDC_LIBRARY_NAME, field);
    TovalenGetLocationFieldValue(g_addLocationBuffer, kPageField, field, kFieldSize);
    SetDlgItemTextA(dialog, IDC_PAGE_NAME, field);
    return TRUE;
}

BOOL AddLocation_OnOk(HWND dialog)
{
    char library[kFieldSize];
    char page[kFieldSize];
    GetDlgItemTextA(dialog, IDC_LIBRARY_NAME, library, kFieldSize);
    GetDlgItemTextA(dialog, IDC_PAGE_NAME, page, kFieldSize);
    TovalenFormatLocation(g_addLocationBuffer, ADD_LOCATION_BUFFER_SIZE, library, 1, kPageField, page);
    EndDialog(dialog, IDOK);
    return TRUE;
}

BOOL AddLocation_OnBrowse(HWND dialog)
{
    char fileName[kFieldSize] = {};
    GetDlgItemTextA(dialog, IDC_LIBRARY_NAME, fileName, kFieldSize);
    OPENFILENAMEA request;
    ZeroMemory(&request, sizeof request);
    request.lStructSize = kOpenFileNameSize;
    request.hwndOwner = dialog;
    request.hInstance = g_instance;
    request.lpstrFile = fileName;
    request.nMaxFile = kFieldSize;
    request.Flags = kOpenFileFlags;
    if (GetOpenFileNameA(&request))
        SetDlgItemTextA(dialog, IDC_LIBRARY_NAME, fileName);
    return TRUE;
}

BOOL AddLocation_OnCommand(HWND dialog, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDOK:
        return AddLocation_OnOk(dialog);
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDC_BROWSE:
        return AddLocation_OnBrowse(dialog);
    default:
        return FALSE;
    }
}

BOOL AddLocation_OnDropFiles(HWND dialog, WPARAM wParam)
{
    DropHandle drop(reinterpret_cast<HDROP>(wParam));
    char fileName[kFieldSize];
    if (DragQueryFileA(drop.Get(), 0, fileName, kFieldSize) != 0)
        SetDlgItemTextA(dialog, IDC_LIBRARY_NAME, fileName);
    return TRUE;
}

}  // namespace

bool AddLocation_Run(HWND owner, char* location)
{
    location[0] = '\0';
    return DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_ADD_LOCATION), owner, AddLocationDialogProc,
                           reinterpret_cast<LPARAM>(location)) == IDOK;
}

INT_PTR CALLBACK AddLocationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    BOOL handled = FALSE;
    switch (message) {
    case WM_INITDIALOG:
        handled = AddLocation_OnInitDialog(dialog, lParam);
        break;
    case WM_COMMAND:
        handled = AddLocation_OnCommand(dialog, wParam);
        break;
    case WM_DROPFILES:
        handled = AddLocation_OnDropFiles(dialog, wParam);
        break;
    default:
        break;
    }
    if (handled)
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
    return handled;
}

BOOL AddLocation_OnAddCommand(HWND consoleDialog)
{
    char location[ADD_LOCATION_BUFFER_SIZE];
    if (!AddLocation_Run(consoleDialog, location))
        return TRUE;
    // An empty entry would end the list where it stands at the next load,
    // losing every entry after it; there is nothing to navigate to anyway.
    if (location[0] == '\0')
        return TRUE;
    HWND list = GetDlgItem(consoleDialog, IDC_HISTORY_LIST);
    if (History_Append(list, location))
        SetFocus(list);
    return TRUE;
}
