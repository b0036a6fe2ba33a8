// What the console exchanges with the framework library: the records it
// passes, the frame window's messages, the debugger callback and the six
// operations it calls. Shared with the stand-in library, which implements them.
#pragma once

#include <windows.h>
#include <stddef.h>

// A 32-bit version: major in bits 24-31, minor in 16-23, build in 0-15.
typedef DWORD PackedVersion;

const PackedVersion FRAMEWORK_MIN_VERSION = 0x022804A9;  // 2.40.1193

#define FRAMEWORK_MSG_BASE WM_USER
const UINT FRAME_MSG_NAVIGATE = WM_USER + 100;  // 1124: wParam 8, lParam location text
const UINT FRAME_MSG_LOCATION = WM_USER + 119;  // 1143: lParam -> FrameLocationReport

const char FRAME_WINDOW_CLASS[] = "TovalenFrame";

// Debug event categories passed to the debugger callback.
const DWORD FRAMEWORK_DEBUG_TRACE = 1;
const DWORD FRAMEWORK_DEBUG_WARN = 2;
const DWORD FRAMEWORK_DEBUG_FAIL = 4;

// Records are zero-filled, then set. On 32-bit Windows every field is 32 bits;
// the layout below is the one the framework expects there.
struct FrameworkInitInfo {
    DWORD size;            // 0: sizeof(FrameworkInitInfo), 24
    PackedVersion version; // 4: FRAMEWORK_MIN_VERSION
    LCID locale;           // 8: GetThreadLocale() of the caller
    DWORD reserved12;      // 12: 0
    const char* client;    // 16: "CON"
    DWORD reserved20;      // 20: 0
};

struct FrameworkWindowInfo {
    DWORD size;            // 0: sizeof(FrameworkWindowInfo), 44
    DWORD kind;            // 4: 2
    HINSTANCE instance;    // 8: the console's instance handle
    HWND owner;            // 12: the console dialog
    DWORD show;            // 16: 1
    const char* location;  // 20: the location to open
    DWORD iconId;          // 24: 101, the console's icon resource
    DWORD reserved[4];     // 28..40: 0
};

// What lParam of FRAME_MSG_LOCATION points to: the third field holds the location.
struct FrameLocationReport {
    DWORD field0;
    DWORD field4;
    const char* location;  // 8
};

#if defined(_M_IX86) || defined(__i386__)
static_assert(sizeof(FrameworkInitInfo) == 24, "FrameworkInitInfo is 24 bytes");
static_assert(offsetof(FrameworkInitInfo, version) == 4, "FrameworkInitInfo.version");
static_assert(offsetof(FrameworkInitInfo, locale) == 8, "FrameworkInitInfo.locale");
static_assert(offsetof(FrameworkInitInfo, reserved12) == 12, "FrameworkInitInfo.reserved12");
static_assert(offsetof(FrameworkInitInfo, client) == 16, "FrameworkInitInfo.client");
static_assert(offsetof(FrameworkInitInfo, reserved20) == 20, "FrameworkInitInfo.reserved20");
static_assert(sizeof(FrameworkWindowInfo) == 44, "FrameworkWindowInfo is 44 bytes");
static_assert(offsetof(FrameworkWindowInfo, kind) == 4, "FrameworkWindowInfo.kind");
static_assert(offsetof(FrameworkWindowInfo, instance) == 8, "FrameworkWindowInfo.instance");
static_assert(offsetof(FrameworkWindowInfo, owner) == 12, "FrameworkWindowInfo.owner");
static_assert(offsetof(FrameworkWindowInfo, show) == 16, "FrameworkWindowInfo.show");
static_assert(offsetof(FrameworkWindowInfo, location) == 20, "FrameworkWindowInfo.location");
static_assert(offsetof(FrameworkWindowInfo, iconId) == 24, "FrameworkWindowInfo.iconId");
static_assert(offsetof(FrameworkWindowInfo, reserved) == 28, "FrameworkWindowInfo.reserved");
static_assert(offsetof(FrameLocationReport, location) == 8, "FrameLocationReport.location");
#endif

// The debugger callback: category, event text (lines separated by CR and LF),
// the context given at registration. Removes its own arguments.
typedef DWORD(WINAPI* FrameworkDebuggerProc)(DWORD category, const char* text, LPARAM context);

// The operations the console calls. In the console these are the call
// wrappers of the entry table; in the stand-in library, the exports.
// Each removes its own arguments, except TovalenFormatLocation.
extern "C" {
BOOL WINAPI InitOrvaneTovalen(const FrameworkInitInfo* info);
PackedVersion WINAPI TovalenGetPackedVersion(void);
HWND WINAPI DoTovalenWindowA(const FrameworkWindowInfo* info);
BOOL WINAPI TovalenGetLocationFieldValue(const char* location, const char* fieldName, char* out, int size);
BOOL WINAPI TovalenRegisterDebugger(FrameworkDebuggerProc callback, LPARAM context, DWORD flags);
// Arguments after count: count pairs of (field name, field value).
BOOL __cdecl TovalenFormatLocation(char* out, int size, const char* libraryName, int count, ...);
}
