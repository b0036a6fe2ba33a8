// The stand-in framework library's entry points. It keeps the debugger
// callback, checks the records it is given and records every call it
// receives (see standin_log.cpp), so that tests can see what the console did.
#include "framework/framework_interface.h"
#include "standin/standin.h"

#ifndef STANDIN_VERSION
#define STANDIN_VERSION 0x022804A9
#endif
#ifndef STANDIN_INIT_RESULT
#define STANDIN_INIT_RESULT 1
#endif

HINSTANCE g_standinInstance;

namespace {

FrameworkDebuggerProc g_debugger;
LPARAM g_debuggerContext;

bool g_initialised;

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_standinInstance = instance;
    return TRUE;
}

// Exports the stand-in does not implement are bound to these: each returns
// its own slot number, so every export has a distinct address.
#define FRAMEWORK_EXPORT(slot, name) \
    extern "C" DWORD __cdecl Standin_Slot##slot(void) { return slot; }
#include "framework/framework_exports.h"

extern "C" PackedVersion WINAPI TovalenGetPackedVersion(void)
{
    return static_cast<PackedVersion>(STANDIN_VERSION);
}

extern "C" BOOL WINAPI InitOrvaneTovalen(const FrameworkInitInfo* info)
{
    if (info == nullptr) {
        Standin_Record("InitOrvaneTovalen null");
        return FALSE;
    }
    Standin_Record("InitOrvaneTovalen size=%lu version=0x%08lx locale=0x%lx r12=%lu client=%s r20=%lu",
                   static_cast<unsigned long>(info->size), static_cast<unsigned long>(info->version),
                   static_cast<unsigned long>(info->locale), static_cast<unsigned long>(info->reserved12),
                   info->client ? info->client : "(null)", static_cast<unsigned long>(info->reserved20));
    if (info->size != sizeof(FrameworkInitInfo) || info->version != FRAMEWORK_MIN_VERSION)
        return FALSE;
    g_initialised = STANDIN_INIT_RESULT != 0;
    return STANDIN_INIT_RESULT;
}

FrameworkDebuggerProc Standin_Debugger(LPARAM* context)
{
    *context = g_debuggerContext;
    return g_debugger;
}

extern "C" BOOL WINAPI CleanupOrvaneTovalen(DWORD flags)
{
    Standin_Record("CleanupOrvaneTovalen %lu", static_cast<unsigned long>(flags));
    StandinFrame_CloseAll();
    StandinDebug_Stop();
    g_initialised = false;
    g_debugger = nullptr;
    g_debuggerContext = 0;
    return TRUE;
}

extern "C" BOOL WINAPI TovalenRegisterDebugger(FrameworkDebuggerProc callback, LPARAM context, DWORD flags)
{
    Standin_Record("TovalenRegisterDebugger callback=%s context=%p flags=%lu", callback ? "set" : "null",
                   reinterpret_cast<void*>(context), static_cast<unsigned long>(flags));
    g_debuggerContext = context;
    g_debugger = callback;
    StandinDebug_Start();
    return TRUE;
}
