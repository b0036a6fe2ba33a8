// Finding, loading, binding, version-checking and unloading the framework
// library. Every framework operation goes through one entry of the
// FrameworkEntryTable; until the library is bound each entry holds the one
// binding stub, which binds all of them on the first call of any operation.
#pragma once

#include <windows.h>

// Slot numbers, from the export list: FRAMEWORK_SLOT_InitOrvaneTovalen == 0, ...
enum FrameworkSlot {
#define FRAMEWORK_EXPORT(slot, name) FRAMEWORK_SLOT_##name = slot,
#include "framework/framework_exports.h"
#undef FRAMEWORK_EXPORT
    FRAMEWORK_SLOT_COUNT
};

// Where a call goes: any code address. The type says nothing of the
// operation's arguments; the wrappers and the stub never look at them.
typedef void (*FrameworkEntryPoint)(void);

struct FrameworkEntry {
    FrameworkEntryPoint entry;  // the stub, the library's address, or null (abandoned)
    const char* name;           // the export name; never changes
};

extern "C" {
// The 79 entries in slot order. The wrappers and the stub reach it by name
// from assembly, so its layout is fixed: two pointers per entry.
extern FrameworkEntry FrameworkEntryTable[FRAMEWORK_SLOT_COUNT];

// The stub every unbound entry holds. Entered only by a jump from a wrapper
// with the slot number in eax/rax; never called from C++.
void FrameworkLibrary_BindingStub(void);

// Loads, binds and version-checks the library; 1 on success, never returns on
// failure. Only the stub calls it.
int FrameworkLibrary_BindAll(void);
}

// The loaded framework library; null while none is loaded.
extern HMODULE g_frameworkLibrary;

// Calls CleanupOrvaneTovalen(0), returns every entry to the stub and frees the
// library: 1 if a library was unloaded, 0 if none was loaded.
int FrameworkLibrary_Unload(void);

// Formats the message (wvsprintfA, 1024 bytes), reports it and ends the
// process with exit code 1; never returns.
[[noreturn]] void FrameworkLibrary_Fatal(const char* format, ...);

// Reads the registry value Location into buffer (size bytes, terminated);
// nonzero if it supplied a directory.
int FrameworkLibrary_ReadLocation(char* buffer, int size);

// Copies the default install directory into buffer; returns its length.
int FrameworkLibrary_DefaultDirectory(char* buffer, int size);

// How FrameworkLibrary_Fatal reports: by default a warning message box with no
// owner, then ExitProcess(1). Tests install a handler that throws instead, so
// that the message can be read and the binding's exception guard runs; a
// handler that returns is followed by ExitProcess(1) all the same. Null
// restores the default.
typedef void (*FrameworkFatalHandler)(const char* message);
void FrameworkLibrary_SetFatalHandler(FrameworkFatalHandler handler);
