// A minimal dialog program: shows dialog 100 until Cancel. The start-up
// benchmark times it beside TovaCon.exe under the same Wine.
#include <windows.h>

namespace {

INT_PTR CALLBACK MinDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(100), nullptr, MinDialogProc, 0));
}
