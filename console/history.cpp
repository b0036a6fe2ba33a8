// The navigation history. The list box is the only copy in memory; the file
// is written from it after every change and read back only at start-up.
#include "console/history.h"

#include "app/startup.h"
#include "console/console_dialog.h"
#include "res/resource.h"
#include "util/util_path.h"
#include "util/util_str.h"

namespace {

const char kIniName[] = "TovaCon.ini";
const char kSection[] = "History";
const char kLastKey[] = "Last";

HWND History_List(HWND dialog)
{
    return GetDlgItem(dialog, IDC_HISTORY_LIST);
}

}  // namespace

void History_GetIniPath(char* out, unsigned size)
{
    if (out == nullptr || size == 0)
        return;
    if (!UtilModule_BuildPath(g_instance, kIniName, out, size))
        out[0] = '\0';
}

DWORD History_LoadEntry(unsigned index, char* out, DWORD size)
{
    if (out == nullptr || size == 0)
        return 0;
    out[0] = '\0';
    char path[260];
    History_GetIniPath(path, sizeof path);
    UINT last = GetPrivateProfileIntA(kSection, kLastKey, 0, path);
    if (!(index < last))
        return 0;
    char key[256];
    UtilNum_FormatInt(static_cast<LONG>(index), key, sizeof key);
    return GetPrivateProfileStringA(kSection, key, "", out, size, path);
}

BOOL History_Load(HWND dialog)
{
    HWND list = History_List(dialog);
    char entry[1024];
    for (unsigned i = 0; History_LoadEntry(i, entry, sizeof entry) != 0; ++i)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    return TRUE;
}

BOOL History_Save(HWND list)
{
    char path[260];
    History_GetIniPath(path, sizeof path);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (count == LB_ERR)
        count = 0;
    char entry[1024];
    char key[256];
    for (LRESULT i = 0; i < count; ++i) {
        // Every way into the list keeps entries within 1023 characters; an
        // entry that did not fit would end the saved list here rather than
        // overrun the buffer or be stored cut.
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length == LB_ERR || length >= static_cast<LRESULT>(sizeof entry)) {
            count = i;
            break;
        }
        entry[0] = '\0';
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
        UtilNum_FormatInt(static_cast<LONG>(i), key, sizeof key);
        WritePrivateProfileStringA(kSection, key, entry, path);
    }
    char last[256];
    UtilNum_FormatInt(static_cast<LONG>(count), last, sizeof last);
    WritePrivateProfileStringA(kSection, kLastKey, last, path);
    return TRUE;
}

BOOL History_Clear()
{
    SendMessageA(History_List(g_consoleDialog), LB_RESETCONTENT, 0, 0);
    char path[260];
    History_GetIniPath(path, sizeof path);
    char zero[64];
    UtilNum_FormatInt(0, zero, sizeof zero);
    WritePrivateProfileStringA(kSection, kLastKey, zero, path);
    return TRUE;
}

BOOL History_DeleteSelected(HWND dialog)
{
    HWND list = History_List(dialog);
    LRESULT selection = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selection == LB_ERR)
        return TRUE;
    SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(selection), 0);
    History_Save(list);
    if (selection < SendMessageA(list, LB_GETCOUNT, 0, 0))
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selection), 0);
    return TRUE;
}

BOOL History_OnListNotify(HWND dialog, UINT code)
{
    if (code == LBN_SELCHANGE) {
        BOOL selected = SendMessageA(History_List(dialog), LB_GETCURSEL, 0, 0) != LB_ERR;
        EnableWindow(GetDlgItem(dialog, IDC_NAVIGATE), selected);
        EnableWindow(GetDlgItem(dialog, IDC_DELETE), selected);
    } else if (code == LBN_DBLCLK) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_NAVIGATE, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_NAVIGATE)));
    }
    return TRUE;
}

BOOL History_AddIfAbsent(const char* location)
{
    // A longer location could be kept only cut short, and a cut location names
    // another page or none; an empty one would end the list at the next load.
    if (location == nullptr || location[0] == '\0' || lstrlenA(location) > HISTORY_ENTRY_MAX)
        return FALSE;
    HWND list = History_List(g_consoleDialog);
    if (SendMessageA(list, LB_FINDSTRING, 0, reinterpret_cast<LPARAM>(location)) != LB_ERR)
        return TRUE;
    return History_Append(list, location);
}

BOOL History_Append(HWND list, const char* location)
{
    LRESULT added = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(location));
    if (added == LB_ERR)
        return FALSE;
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(added), 0);
    ConsoleDialog_FitListExtent(list);
    History_Save(list);
    return TRUE;
}
