// Reading a message box of another process through its child windows: the
// message is the static control with text, the icon a static control with
// SS_ICON. Window texts cross the process boundary with WM_GETTEXT.
#include "tests/support/message_box.h"

namespace test {

namespace {

std::string TextOf(HWND window)
{
    char text[2048] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, nullptr);
    return text;
}

BOOL CALLBACK ReadChild(HWND child, LPARAM lParam)
{
    auto* seen = reinterpret_cast<MessageBoxSeen*>(lParam);
    char className[64] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            seen->hasIcon = true;
        else if (seen->text.empty())
            seen->text = TextOf(child);
    } else if (lstrcmpiA(className, "Button") == 0) {
        ++seen->buttons;
    }
    return TRUE;
}

}  // namespace

bool WaitForMessageBox(const Process& process, DWORD milliseconds, MessageBoxSeen* seen)
{
    HWND box = process.WaitForWindow("#32770", nullptr, milliseconds);
    if (box == nullptr)
        return false;
    *seen = MessageBoxSeen{};
    seen->window = box;
    seen->caption = TextOf(box);
    seen->owner = GetWindow(box, GW_OWNER);
    EnumChildWindows(box, ReadChild, reinterpret_cast<LPARAM>(seen));
    return true;
}

void DismissMessageBox(HWND window)
{
    PostMessageA(window, WM_COMMAND, IDOK, 0);
}

}  // namespace test
