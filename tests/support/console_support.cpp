// Helpers for the tests of the console dialog, its log pane and its settings.
#include "tests/support/console_support.h"

#include <string.h>

#include <vector>

#include "standin/standin_debug.h"

namespace test {

namespace {
const char kSettingsKey[] = "Software\\Orvane\\Orvane Shared Components\\Tovalen\\Settings";
}

void DeleteSettingsValues()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    for (const char* name : {"DebugLog", "DebugOutput", "ForceStyle", "DisplayPageId"})
        RegDeleteValueA(key, name);
    RegCloseKey(key);
}

void SetSettingsValue(const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void SetSettingsDword(const char* name, DWORD value)
{
    SetSettingsValue(name, REG_DWORD, &value, sizeof value);
}

bool GetSettingsDword(const char* name, DWORD* value)
{
    DWORD type = 0;
    DWORD size = sizeof *value;
    LONG status = RegGetValueA(HKEY_LOCAL_MACHINE, kSettingsKey, name, RRF_RT_ANY, &type, value, &size);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == 4;
}

int ListCount(HWND list)
{
    return static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
}

std::string ListLine(HWND list, int index)
{
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR)
        return "<no entry>";
    std::vector<wchar_t> wide(static_cast<size_t>(length) + 1);
    LRESULT got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.data()));
    if (got <= 0)
        return std::string();
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(got), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(got), &text[0], bytes, nullptr, nullptr);
    return text;
}

std::vector<std::string> ListLines(HWND list)
{
    std::vector<std::string> lines;
    int count = ListCount(list);
    for (int i = 0; i < count; ++i)
        lines.push_back(ListLine(list, i));
    return lines;
}

bool WaitForListCount(HWND list, int count, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    while (ListCount(list) != count) {
        if (GetTickCount() - start > milliseconds)
            return false;
        PumpMessages(10);
    }
    return true;
}

UINT MenuState(HMENU menu, UINT command)
{
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    if (!GetMenuItemInfoA(menu, command, FALSE, &info))
        return 0xFFFFFFFF;
    return info.fState;
}

bool MenuChecked(HMENU menu, UINT command)
{
    UINT state = MenuState(menu, command);
    return state != 0xFFFFFFFF && (state & MFS_CHECKED) != 0;
}

namespace {
struct ControlSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindControl(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<ControlSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[128];
    if (pid == search->processId && GetClassNameA(window, name, sizeof name) &&
        lstrcmpA(name, STANDIN_CONTROL_CLASS) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND FindStandinControl(DWORD processId, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;) {
        ControlSearch search{processId, nullptr};
        EnumWindows(FindControl, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount() - start > milliseconds)
            return search.found;
        Sleep(20);
    }
}

bool ReportDebugEvents(HWND control, DWORD category, const std::string& text, DWORD count, DWORD flags)
{
    std::vector<char> data(sizeof(StandinDebugRequest) + text.size() + 1);
    StandinDebugRequest request{category, count, flags};
    memcpy(data.data(), &request, sizeof request);
    memcpy(data.data() + sizeof request, text.c_str(), text.size() + 1);
    COPYDATASTRUCT copy{STANDIN_DEBUG_EVENTS, static_cast<DWORD>(data.size()), data.data()};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(control, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_NORMAL, 120000, &result))
        return false;
    return result == 1;
}

bool WaitForStandinWorkers(HWND control, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;) {
        COPYDATASTRUCT copy{STANDIN_DEBUG_PENDING, 0, nullptr};
        DWORD_PTR pending = 1;
        if (!SendMessageTimeoutA(control, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_NORMAL, 10000,
                                 &pending))
            return false;
        if (pending == 0)
            return true;
        if (GetTickCount() - start > milliseconds)
            return false;
        Sleep(10);
    }
}

void PumpMessages(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (GetTickCount() - start >= milliseconds)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

}  // namespace test
