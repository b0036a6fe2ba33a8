// The console dialog created in the test program itself.
#include "tests/support/dialog_host.h"

#include "app/startup.h"
#include "console/console_dialog.h"
#include "console/debug_log.h"
#include "res/resource.h"
#include "tests/support/console_support.h"

namespace test {

DialogHost::DialogHost()
{
    g_instance = GetModuleHandleA(nullptr);
    dialog_ = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_CONSOLE), nullptr, ConsoleDialogProc, 0);
    if (dialog_ != nullptr) {
        ShowWindow(dialog_, SW_SHOW);
        UpdateWindow(dialog_);
        PumpMessages(20);
    }
}

DialogHost::~DialogHost()
{
    Destroy();
}

void DialogHost::Destroy()
{
    if (dialog_ != nullptr && IsWindow(dialog_))
        DestroyWindow(dialog_);
    dialog_ = nullptr;
}

std::vector<std::string> DialogHost::LogLines() const
{
    std::vector<std::string> lines;
    HWND list = LogList();
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
        LRESULT got = SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(got > 0 ? static_cast<size_t>(got) : 0);
        lines.push_back(text);
    }
    return lines;
}

namespace {
LONG g_beeps;
UINT g_lastBeep;
BOOL WINAPI CountBeep(UINT type)
{
    InterlockedIncrement(&g_beeps);
    g_lastBeep = type;
    return TRUE;
}
}  // namespace

BeepCounter::BeepCounter()
{
    Reset();
    DebugLog_Beep = CountBeep;
}

BeepCounter::~BeepCounter()
{
    DebugLog_Beep = MessageBeep;
}

int BeepCounter::Count() const
{
    return static_cast<int>(g_beeps);
}

UINT BeepCounter::LastType() const
{
    return g_lastBeep;
}

void BeepCounter::Reset()
{
    InterlockedExchange(&g_beeps, 0);
    g_lastBeep = 0;
}

}  // namespace test
