// The console dialog inside the test process.
#include "tests/support/console_in_process.h"

#include "app/frame_tracker.h"
#include "app/startup.h"
#include "console/console_dialog.h"
#include "res/resource.h"
#include "tests/support/test_support.h"

namespace test {

namespace {

struct ClassSearch {
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOfClass(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<ClassSearch*>(lParam);
    char name[256];
    if (GetClassNameA(window, name, sizeof name) && lstrcmpiA(name, search->className) == 0)
        search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> ThreadWindowsOfClass(const char* className)
{
    ClassSearch search{className, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

InProcessConsole::InProcessConsole()
{
    g_instance = GetModuleHandleA(nullptr);
    DeleteFileA(IniPath().c_str());
    g_hook = SetWindowsHookExA(WH_CBT, FrameTracker_CbtHookProc, nullptr, GetCurrentThreadId());
}

InProcessConsole::~InProcessConsole()
{
    for (HWND frame : ThreadWindowsOfClass("TovalenFrame"))
        DestroyWindow(frame);
    if (dialog_)
        DestroyWindow(dialog_);
    Pump(0);
    if (g_hook)
        UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    g_trackedFrame = nullptr;
    g_consoleDialog = nullptr;
    DeleteFileA(IniPath().c_str());
}

HWND InProcessConsole::Open(bool visible)
{
    dialog_ = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_CONSOLE), nullptr, ConsoleDialogProc, 0);
    if (dialog_) {
        // Without a window manager, Wine waits about two seconds whenever a
        // visible top-level window goes away: tests that need no keyboard
        // input keep the dialog hidden.
        if (visible)
            ShowWindow(dialog_, SW_SHOW);
        Pump();
    }
    return dialog_;
}

void InProcessConsole::Pump(DWORD milliseconds) const
{
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (dialog_ && IsDialogMessageA(dialog_, &message))
                continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (milliseconds)
            Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

void InProcessConsole::Command(WORD id, WORD code) const
{
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, code), 0);
    Pump();
}

std::string InProcessConsole::IniPath()
{
    return ExeDir() + "\\TovaCon.ini";
}

std::vector<std::string> InProcessConsole::Entries() const
{
    std::vector<std::string> entries;
    LRESULT count = SendMessageA(List(), LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageA(List(), LB_GETTEXTLEN, i, 0);
        std::string text(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(List(), LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(length));
        entries.push_back(text);
    }
    return entries;
}

int InProcessConsole::Selection() const
{
    return static_cast<int>(SendMessageA(List(), LB_GETCURSEL, 0, 0));
}

bool InProcessConsole::Enabled(int id) const
{
    return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE;
}

}  // namespace test
