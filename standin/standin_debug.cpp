// The stand-in's debug-event control window (see standin_debug.h): it reports
// the requested events through the registered debugger callback, on its own
// thread or on a worker thread, as the framework may do on either.
#include "standin/standin_debug.h"

#include <stdio.h>
#include <string.h>

#include <new>
#include <string>

#include "standin/standin.h"

namespace {

HWND g_control;
volatile LONG g_workers;
volatile LONG g_stopping;

struct DebugRun {
    StandinDebugRequest request;
    std::string text;
};

void Report(const DebugRun& run)
{
    std::string text;
    for (DWORD i = 0; i < run.request.count && g_stopping == 0; ++i) {
        LPARAM context = 0;
        FrameworkDebuggerProc callback = Standin_Debugger(&context);
        if (callback == nullptr)
            return;
        if (run.request.flags & STANDIN_DEBUG_NUMBERED) {
            char number[16];
            snprintf(number, sizeof number, "%lu", static_cast<unsigned long>(i));
            text = run.text + number;
            callback(run.request.category, text.c_str(), context);
        } else {
            callback(run.request.category, run.text.c_str(), context);
        }
    }
}

DWORD WINAPI WorkerThread(LPVOID parameter)
{
    DebugRun* run = static_cast<DebugRun*>(parameter);
    Report(*run);
    delete run;
    InterlockedDecrement(&g_workers);
    return 0;
}

LRESULT OnCopyData(const COPYDATASTRUCT* data)
{
    if (data == nullptr)
        return 0;
    if (data->dwData == STANDIN_DEBUG_PENDING)
        return g_workers;
    if (data->dwData != STANDIN_DEBUG_EVENTS || data->cbData < sizeof(StandinDebugRequest) || data->lpData == nullptr)
        return 0;
    LPARAM context = 0;
    if (Standin_Debugger(&context) == nullptr)
        return 0;
    DebugRun* run = new (std::nothrow) DebugRun;
    if (run == nullptr)
        return 0;
    memcpy(&run->request, data->lpData, sizeof run->request);
    const char* text = static_cast<const char*>(data->lpData) + sizeof(StandinDebugRequest);
    size_t textBytes = data->cbData - sizeof(StandinDebugRequest);
    run->text.assign(text, strnlen(text, textBytes));
    if (!(run->request.flags & STANDIN_DEBUG_ON_WORKER)) {
        Report(*run);
        delete run;
        return 1;
    }
    InterlockedIncrement(&g_workers);
    HANDLE thread = CreateThread(nullptr, 0, WorkerThread, run, 0, nullptr);
    if (thread == nullptr) {
        InterlockedDecrement(&g_workers);
        delete run;
        return 0;
    }
    CloseHandle(thread);
    return 1;
}

LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COPYDATA:
        return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

void StandinDebug_Start()
{
    if (g_control != nullptr)
        return;
    g_stopping = 0;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ControlProc;
    windowClass.hInstance = g_standinInstance;
    windowClass.lpszClassName = STANDIN_CONTROL_CLASS;
    RegisterClassA(&windowClass);
    g_control = CreateWindowExA(0, STANDIN_CONTROL_CLASS, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                g_standinInstance, nullptr);
}

void StandinDebug_Stop()
{
    // Workers stop at their next event; one may be inside the callback,
    // waiting for this thread to take its message, so sent messages are
    // handled while waiting.
    InterlockedExchange(&g_stopping, 1);
    DWORD start = GetTickCount();
    while (g_workers > 0 && GetTickCount() - start < 10000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    if (g_control != nullptr) {
        DestroyWindow(g_control);
        g_control = nullptr;
        UnregisterClassA(STANDIN_CONTROL_CLASS, g_standinInstance);
    }
}
