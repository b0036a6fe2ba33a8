// The debug log pane. Events are split into lines on the dialog's thread and
// wait in a buffer; the buffer goes into list 1007 with its redraw held off, at
// most once per repaint interval (a list box on screen repaints itself after
// every addition otherwise, which costs milliseconds a line). Events from other
// threads reach the dialog in one sent message each and never touch the list.
#include "console/debug_log.h"

#include <limits.h>
#include <string.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "console/settings.h"
#include "res/resource.h"
#include "util/handles.h"

DWORD DebugLogMask;
BOOL(WINAPI* DebugLog_Beep)(UINT type) = MessageBeep;

namespace {

const char DEBUG_LOG_VALUE[] = "DebugLog";
const char DEBUG_OUTPUT_VALUE[] = "DebugOutput";
const DWORD DEBUG_LOG_DEFAULT_MASK = 6;

// The dialog whose pane takes events; null before initialisation and after
// the dialog is destroyed. Read by the callback on any thread.
std::atomic<HWND> g_logDialog{nullptr};

// Everything below is used on the dialog's thread only.

// Lines waiting for the list, each followed by a NUL.
std::string g_pending;
int g_pendingLines;
bool g_timerSet;
DWORD g_lastFlush;
DWORD g_repaintInterval = DEBUG_LOG_REPAINT_INTERVAL;
// Widest line listed so far, in pixels: the list's horizontal extent.
int g_extent;
WNDPROC g_listProc;

bool IsDelimiter(char c)
{
    return c == '\r' || c == '\n';
}

const char* NextChar(const char* p)
{
    if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0')
        return p + 2;
    return p + 1;
}

// Splits the text into lines and queues them; all or nothing.
bool QueueLines(const char* text)
{
    size_t oldSize = g_pending.size();
    int oldLines = g_pendingLines;
    try {
        const char* p = text;
        for (;;) {
            while (IsDelimiter(*p))
                ++p;
            if (*p == '\0')
                break;
            const char* start = p;
            while (*p != '\0' && !IsDelimiter(*p))
                p = NextChar(p);
            g_pending.append(start, static_cast<size_t>(p - start));
            g_pending.push_back('\0');
            ++g_pendingLines;
        }
        return true;
    } catch (...) {
        g_pending.resize(oldSize);
        g_pendingLines = oldLines;
        return false;
    }
}

// Rows fully visible in the list.
int VisibleRows(HWND list)
{
    RECT client;
    GetClientRect(list, &client);
    LRESULT itemHeight = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    if (itemHeight <= 0)
        return 1;
    return std::max(1, static_cast<int>((client.bottom - client.top) / itemHeight));
}

// Keeps only the newest <keep> of the <count> lines, with their selection:
// the list box can only remove lines one at a time, each moving all that
// follow, so the kept lines are read out and listed afresh.
void KeepNewest(HWND list, int count, int keep)
{
    int first = count - keep;
    std::vector<int> selected;
    LRESULT selCount = SendMessageA(list, LB_GETSELCOUNT, 0, 0);
    if (selCount > 0) {
        selected.resize(static_cast<size_t>(selCount));
        LRESULT got = SendMessageA(list, LB_GETSELITEMS, static_cast<WPARAM>(selCount),
                                   reinterpret_cast<LPARAM>(selected.data()));
        selected.resize(got > 0 ? static_cast<size_t>(got) : 0);
    }
    int caret = static_cast<int>(SendMessageA(list, LB_GETCARETINDEX, 0, 0));
    int anchor = static_cast<int>(SendMessageA(list, LB_GETANCHORINDEX, 0, 0));

    std::string kept;
    std::vector<size_t> offsets;
    offsets.reserve(static_cast<size_t>(keep));
    for (int i = first; i < count; ++i) {
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length == LB_ERR)
            continue;
        size_t offset = kept.size();
        kept.resize(offset + static_cast<size_t>(length) + 1);
        LRESULT got = SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&kept[offset]));
        kept.resize(offset + (got > 0 ? static_cast<size_t>(got) : 0));
        kept.push_back('\0');
        offsets.push_back(offset);
    }

    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_INITSTORAGE, static_cast<WPARAM>(DEBUG_LOG_MAX_LINES), static_cast<LPARAM>(kept.size()));
    for (size_t offset : offsets)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kept.data() + offset));
    for (int index : selected) {
        if (index >= first)
            SendMessageA(list, LB_SETSEL, TRUE, index - first);
    }
    if (anchor >= first)
        SendMessageA(list, LB_SETANCHORINDEX, static_cast<WPARAM>(anchor - first), 0);
    if (caret >= first)
        SendMessageA(list, LB_SETCARETINDEX, static_cast<WPARAM>(caret - first), FALSE);
}

// Measures the lines from <text> on (NUL-separated, <lines> of them) and
// widens the extent to the widest. A line whose every byte could be the
// font's widest character and still fit is not measured.
void WidenExtent(HWND list, const char* text, int lines)
{
    HDC dc = GetDC(list);
    if (dc == nullptr)
        return;
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    int margin = static_cast<int>(metrics.tmAveCharWidth);
    int widest = std::max(static_cast<int>(metrics.tmMaxCharWidth), 1);
    for (int i = 0; i < lines; ++i) {
        size_t length = strlen(text);
        if (static_cast<long long>(length) * widest + margin > g_extent) {
            SIZE size{};
            if (GetTextExtentPoint32A(dc, text, static_cast<int>(std::min<size_t>(length, INT_MAX)), &size))
                g_extent = std::max(g_extent, static_cast<int>(size.cx) + margin);
        }
        text += length + 1;
    }
    SelectObject(dc, oldFont);
    ReleaseDC(list, dc);
}

void StopTimer(HWND dialog)
{
    if (g_timerSet) {
        KillTimer(dialog, DEBUG_LOG_TIMER);
        g_timerSet = false;
    }
}

void DiscardPending(bool release)
{
    g_pending.clear();
    if (release)
        g_pending.shrink_to_fit();
    g_pendingLines = 0;
}

// Adds the waiting lines now if the last repaint is an interval ago, else
// makes sure the timer will.
void ScheduleFlush(HWND dialog)
{
    DWORD elapsed = GetTickCount() - g_lastFlush;
    if (elapsed >= g_repaintInterval) {
        DebugLog_Flush(dialog);
    } else if (!g_timerSet) {
        if (SetTimer(dialog, DEBUG_LOG_TIMER, g_repaintInterval - elapsed, nullptr) != 0)
            g_timerSet = true;
        else
            DebugLog_Flush(dialog);
    }
}

void QueueText(HWND dialog, const char* text)
{
    if (dialog != g_logDialog.load() || !QueueLines(text) || g_pendingLines == 0)
        return;
    ScheduleFlush(dialog);
}

bool SelectedText(HWND list, std::string& text)
{
    LRESULT selCount = SendMessageA(list, LB_GETSELCOUNT, 0, 0);
    if (selCount <= 0)
        return false;
    std::vector<int> selected(static_cast<size_t>(selCount));
    LRESULT got = SendMessageA(list, LB_GETSELITEMS, static_cast<WPARAM>(selCount),
                               reinterpret_cast<LPARAM>(selected.data()));
    if (got <= 0)
        return false;
    selected.resize(static_cast<size_t>(got));
    std::sort(selected.begin(), selected.end());
    for (int index : selected) {
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length == LB_ERR)
            continue;
        std::string line(static_cast<size_t>(length) + 1, '\0');
        LRESULT copied = SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&line[0]));
        line.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        text += line;
        text += "\r\n";
    }
    return true;
}

// Closes the clipboard on every path once it is open.
class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~ClipboardSession()
    {
        if (open_)
            CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    bool Open() const { return open_; }

private:
    bool open_;
};

// The log list's procedure in front of the list box's own: Ctrl+C copies.
LRESULT CALLBACK LogListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CHAR:
        // Ctrl+C arrives as the character 3 (ETX).
        if (wParam == 3) {
            SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(IDM_COPY, 0), 0);
            return 0;
        }
        break;
    default:
        break;
    }
    return CallWindowProcA(g_listProc, list, message, wParam, lParam);
}

}  // namespace

BOOL DebugLog_ReadMask()
{
    DebugLogMask = DEBUG_LOG_DEFAULT_MASK;
    RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY, 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return FALSE;
    // A value of 1 to 4 bytes, of whatever type, becomes the mask, least
    // significant byte first, over the default; one that does not fit leaves
    // the default rather than whatever the failed query left in the buffer.
    DWORD mask = DEBUG_LOG_DEFAULT_MASK;
    DWORD size = sizeof mask;
    LONG status = RegQueryValueExA(key.Get(), DEBUG_LOG_VALUE, nullptr, nullptr, reinterpret_cast<BYTE*>(&mask), &size);
    if (status != ERROR_SUCCESS)
        return FALSE;
    DebugLogMask = mask;
    return TRUE;
}

DWORD WINAPI ConsoleDebuggerProc(DWORD category, const char* text, LPARAM context)
{
    // Called by the framework: nothing may escape.
    try {
        if ((category & DebugLogMask) == 0)
            return 0;
        HWND dialog = reinterpret_cast<HWND>(context);
        switch (category) {
        case 1:
            DebugLog_AddText(dialog, text);
            break;
        case 2:
        case 4:
            DebugLog_AddText(dialog, text);
            DebugLog_Beep(MB_ICONEXCLAMATION);
            break;
        default:
            break;
        }
    } catch (...) {
    }
    return 0;
}

void DebugLog_AddText(HWND dialog, const char* text)
{
    if (text == nullptr || dialog == nullptr || dialog != g_logDialog.load())
        return;
    if (GetWindowThreadProcessId(dialog, nullptr) != GetCurrentThreadId()) {
        // The dialog reads the text while this thread waits; if the dialog
        // is gone meanwhile, the message goes nowhere.
        SendMessageA(dialog, WM_DEBUGLOG_TEXT, 0, reinterpret_cast<LPARAM>(text));
        return;
    }
    QueueText(dialog, text);
}

void DebugLog_ToggleCategory(HWND dialog, DWORD bit)
{
    DebugLogMask ^= bit;
    SettingsMenu_UpdateChecks(dialog);
    DebugLog_WriteMask(DebugLogMask);
}

void DebugLog_WriteMask(DWORD mask)
{
    RegKey key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY, 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key.Get(), DEBUG_LOG_VALUE, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mask), sizeof mask);
    RegSetValueExA(key.Get(), DEBUG_OUTPUT_VALUE, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mask), sizeof mask);
}

void SettingsMenu_UpdateChecks(HWND dialog)
{
    HMENU settings = GetSubMenu(GetMenu(dialog), 1);
    if (settings == nullptr)
        return;
    CheckMenuItem(settings, IDM_TRACE, MF_BYCOMMAND | ((DebugLogMask & 1) ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(settings, IDM_WARN, MF_BYCOMMAND | ((DebugLogMask & 2) ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(settings, IDM_FAIL, MF_BYCOMMAND | ((DebugLogMask & 4) ? MF_CHECKED : MF_UNCHECKED));
    Settings_UpdateChecks(settings);
}

void DebugLog_Copy(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_LOG_LIST);
    std::string text;
    if (list == nullptr || !SelectedText(list, text))
        return;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (memory == nullptr)
        return;
    GlobalMemory owner(memory);
    void* bytes = GlobalLock(memory);
    if (bytes == nullptr)
        return;
    memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    ClipboardSession clipboard(dialog);
    if (!clipboard.Open() || !EmptyClipboard())
        return;
    // Once the clipboard has the memory, it is the clipboard's to free.
    if (SetClipboardData(CF_TEXT, memory) != nullptr)
        owner.Release();
}

void DebugLog_Clear(HWND dialog)
{
    DiscardPending(true);
    HWND list = GetDlgItem(dialog, IDC_LOG_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    g_extent = 0;
    SendMessageA(list, LB_SETHORIZONTALEXTENT, 0, 0);
}

void DebugLog_Attach(HWND dialog)
{
    DiscardPending(true);
    g_timerSet = false;
    g_extent = 0;
    g_lastFlush = GetTickCount() - g_repaintInterval;
    HWND list = GetDlgItem(dialog, IDC_LOG_LIST);
    if (list != nullptr) {
        g_listProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LogListProc)));
    }
    g_logDialog.store(dialog);
}

void DebugLog_Detach(HWND dialog)
{
    if (dialog != g_logDialog.load())
        return;
    DebugLog_Flush(dialog);
    g_logDialog.store(nullptr);
    DiscardPending(true);
}

void DebugLog_OnSentText(HWND dialog, const char* text)
{
    if (text != nullptr)
        QueueText(dialog, text);
}

BOOL DebugLog_OnTimer(HWND dialog, UINT_PTR timer)
{
    if (timer != DEBUG_LOG_TIMER)
        return FALSE;
    DebugLog_Flush(dialog);
    return TRUE;
}

void DebugLog_Flush(HWND dialog)
{
    StopTimer(dialog);
    g_lastFlush = GetTickCount();
    if (g_pendingLines == 0)
        return;
    HWND list = GetDlgItem(dialog, IDC_LOG_LIST);
    if (list == nullptr) {
        DiscardPending(false);
        return;
    }
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    int top = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    int rows = VisibleRows(list);
    bool follow = count <= 0 || top + rows >= count;
    count = std::max(count, 0);

    // Of a batch larger than the whole log only the newest lines can stay.
    int adding = std::min(g_pendingLines, DEBUG_LOG_MAX_LINES);
    const char* text = g_pending.c_str();
    for (int skip = g_pendingLines - adding; skip > 0; --skip)
        text += strlen(text) + 1;

    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    int dropped = 0;
    if (count + adding > DEBUG_LOG_MAX_LINES) {
        int keep = std::min(count, std::max(0, DEBUG_LOG_MAX_LINES - DEBUG_LOG_DROP_LINES - adding));
        KeepNewest(list, count, keep);
        dropped = count - keep;
        count = keep;
    }
    WidenExtent(list, text, adding);
    for (int i = 0; i < adding; ++i) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        text += strlen(text) + 1;
    }
    count += adding;
    DiscardPending(false);
    SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(g_extent), 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    if (follow)
        SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(0, count - rows)), 0);
    else if (dropped > 0)
        SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(0, top - dropped)), 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
}

void DebugLog_SetRepaintInterval(DWORD milliseconds)
{
    g_repaintInterval = milliseconds;
}
