// Finding, loading, binding, version-checking and unloading the framework
// library, and the binding stub that does it on the first framework call.
#include "framework/framework_library.h"

#include <stdarg.h>
#include <stdlib.h>

#include "framework/framework_interface.h"
#include "framework/framework_path.h"
#include "util/handles.h"

HMODULE g_frameworkLibrary;

namespace {

const char kLibraryFileName[] = "Tovalen.dll";
const char kRegistryKey[] = "Software\\Orvane\\Orvane Shared Components\\Tovalen";
const char kRegistryValue[] = "Location";
const char kDefaultDirectory[] = "C:\\Program Files\\Orvane\\Orvane Shared Components\\Tovalen";
const char kMinVersionText[] = "2.40.1193.0";
const char kMessageCaption[] = "Orvane Tovalen";
const int kMessageSize = 1024;

FrameworkFatalHandler g_fatalHandler;

// The slots of the export list must be 0, 1, 2, ... with no gap or repeat:
// the table is indexed by slot and bound in that order.
constexpr int kListedSlots[] = {
#define FRAMEWORK_EXPORT(slot, name) slot,
#include "framework/framework_exports.h"
#undef FRAMEWORK_EXPORT
};
constexpr bool SlotsAreConsecutive()
{
    for (int i = 0; i < static_cast<int>(sizeof kListedSlots / sizeof kListedSlots[0]); ++i) {
        if (kListedSlots[i] != i)
            return false;
    }
    return true;
}
static_assert(SlotsAreConsecutive(), "the export list's slots are 0, 1, 2, ... in order");
static_assert(FRAMEWORK_SLOT_COUNT == 79, "the framework has 79 exports");
static_assert(sizeof(FrameworkEntry) == 2 * sizeof(void*), "the stub indexes entries of two pointers");

// If binding is left by an exception, the half-bound library must not be used
// again: every entry becomes null (a call through it faults at once instead
// of running stale code) and the library is freed. The handle is cleared too,
// so that unloading afterwards finds nothing to unload.
class BindingGuard {
public:
    BindingGuard() = default;
    ~BindingGuard()
    {
        if (completed_ || g_frameworkLibrary == nullptr)
            return;
        for (FrameworkEntry& entry : FrameworkEntryTable)
            entry.entry = nullptr;
        FreeLibrary(g_frameworkLibrary);
        g_frameworkLibrary = nullptr;
    }
    BindingGuard(const BindingGuard&) = delete;
    BindingGuard& operator=(const BindingGuard&) = delete;
    void Complete() { completed_ = true; }

private:
    bool completed_ = false;
};

// One place of the search: the result of the attempt becomes the library
// handle. An empty path names no place and is not tried.
bool FrameworkLibrary_LoadFrom(const char* path)
{
    g_frameworkLibrary =
        path[0] != '\0' ? LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH) : nullptr;
    return g_frameworkLibrary != nullptr;
}

// Current directory, program directory, registry Location, default directory.
// The current directory comes first on purpose: developers run the console
// from their build directories. The path buffer keeps the last path tried.
bool FrameworkLibrary_Search(char* path)
{
    char directory[FRAMEWORK_PATH_SIZE];
    DWORD length = GetCurrentDirectoryA(FRAMEWORK_PATH_SIZE, directory);
    if (length == 0 || length >= static_cast<DWORD>(FRAMEWORK_PATH_SIZE))
        directory[0] = '\0';
    FrameworkPath_Combine(directory, kLibraryFileName, path, FRAMEWORK_PATH_SIZE);
    if (FrameworkLibrary_LoadFrom(path))
        return true;

    FrameworkPath_ProgramDirFile(nullptr, kLibraryFileName, path, FRAMEWORK_PATH_SIZE);
    if (FrameworkLibrary_LoadFrom(path))
        return true;

    if (FrameworkLibrary_ReadLocation(directory, FRAMEWORK_PATH_SIZE)) {
        FrameworkPath_Combine(directory, kLibraryFileName, path, FRAMEWORK_PATH_SIZE);
        if (FrameworkLibrary_LoadFrom(path))
            return true;
    }

    if (FrameworkLibrary_DefaultDirectory(directory, FRAMEWORK_PATH_SIZE)) {
        FrameworkPath_Combine(directory, kLibraryFileName, path, FRAMEWORK_PATH_SIZE);
        if (FrameworkLibrary_LoadFrom(path))
            return true;
    }
    return false;
}

[[noreturn]] void FrameworkLibrary_ReportAndExit(const char* message)
{
    MessageBoxA(nullptr, message, kMessageCaption, MB_OK | MB_ICONWARNING);
    ExitProcess(1);
    // ExitProcess does not return, but is not declared so.
    abort();
}

}  // namespace

extern "C" {

FrameworkEntry FrameworkEntryTable[FRAMEWORK_SLOT_COUNT] = {
#define FRAMEWORK_EXPORT(slot, name) {FrameworkLibrary_BindingStub, #name},
#include "framework/framework_exports.h"
#undef FRAMEWORK_EXPORT
};

int FrameworkLibrary_BindAll(void)
{
    BindingGuard guard;
    char path[FRAMEWORK_PATH_SIZE];
    path[0] = '\0';

    if (g_frameworkLibrary == nullptr && !FrameworkLibrary_Search(path))
        FrameworkLibrary_Fatal("Cannot load '%s'", kLibraryFileName);

    for (FrameworkEntry& entry : FrameworkEntryTable) {
        entry.entry = reinterpret_cast<FrameworkEntryPoint>(GetProcAddress(g_frameworkLibrary, entry.name));
        if (entry.entry == nullptr)
            FrameworkLibrary_Fatal(
                "Cannot get '%s' from '%s'.  The expected version of Orvane Tovalen is at least %d.%d.%d.",
                entry.name, path, 2, 40, 1193);
    }

    // Compared unsigned: a version with bit 31 set is a high major version.
    if (TovalenGetPackedVersion() < FRAMEWORK_MIN_VERSION) {
        PackedVersion version = TovalenGetPackedVersion();
        FrameworkLibrary_Fatal(
            "%d.%d.%d is the wrong version of Orvane Tovalen ( '%s' ).  The expected version is at least %s.",
            static_cast<int>(version >> 24), static_cast<int>((version >> 16) & 0xFF),
            static_cast<int>(version & 0xFFFF), path, kMinVersionText);
    }
    guard.Complete();
    return 1;
}

}  // extern "C"

int FrameworkLibrary_Unload(void)
{
    if (g_frameworkLibrary == nullptr)
        return 0;
    using CleanupProc = BOOL(WINAPI*)(DWORD);
    reinterpret_cast<CleanupProc>(FrameworkEntryTable[FRAMEWORK_SLOT_CleanupOrvaneTovalen].entry)(0);
    for (FrameworkEntry& entry : FrameworkEntryTable)
        entry.entry = FrameworkLibrary_BindingStub;
    FreeLibrary(g_frameworkLibrary);
    g_frameworkLibrary = nullptr;
    return 1;
}

void FrameworkLibrary_Fatal(const char* format, ...)
{
    char message[kMessageSize];
    va_list args;
    va_start(args, format);
    wvsprintfA(message, format, args);
    va_end(args);
    if (g_fatalHandler != nullptr)
        g_fatalHandler(message);
    FrameworkLibrary_ReportAndExit(message);
}

void FrameworkLibrary_SetFatalHandler(FrameworkFatalHandler handler)
{
    g_fatalHandler = handler;
}

int FrameworkLibrary_ReadLocation(char* buffer, int size)
{
    RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRegistryKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return 0;
    DWORD count = static_cast<DWORD>(size);
    if (RegQueryValueExA(key.Get(), kRegistryValue, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                         &count) != ERROR_SUCCESS ||
        count == 0)
        return 0;
    // The value's type is not examined, so its bytes need not end with a
    // terminator: add one behind them, or refuse a value that fills the
    // buffer without one (it would be read past the buffer's end).
    if (buffer[count - 1] != '\0') {
        if (count >= static_cast<DWORD>(size))
            return 0;
        buffer[count] = '\0';
    }
    return 1;
}

int FrameworkLibrary_DefaultDirectory(char* buffer, int size)
{
    lstrcpynA(buffer, kDefaultDirectory, size);
    return lstrlenA(buffer);
}

// The binding stub. The wrapper that jumped here left the slot number in
// eax/rax (not an argument register in any of the conventions used) and the
// caller's arguments and return address untouched on the stack and in the
// argument registers. The stub keeps them, binds, and jumps through the now
// bound entry of that slot, so the operation returns straight to the caller.
// Unwind information is given so that an exception from the binding can pass
// through the stub to the caller.
#if defined(_MSC_VER) && defined(_M_IX86)

extern "C" __declspec(naked) void FrameworkLibrary_BindingStub(void)
{
    __asm {
        push eax
        push ecx
        push edx
        call FrameworkLibrary_BindAll
        pop edx
        pop ecx
        pop eax
        jmp dword ptr [FrameworkEntryTable + eax * 8]
    }
}

#elif defined(__GNUC__) && defined(__i386__)

// Three pushes of 4 bytes keep the stack as aligned for BindAll as the
// caller had it for the operation (the compiler's code keeps 16 bytes).
// Top-level assembly is emitted ahead of the compiler's code and ends in
// .text, where the compiler expects to be.
__asm__(
    ".text\n"
    ".globl _FrameworkLibrary_BindingStub\n"
    ".def _FrameworkLibrary_BindingStub; .scl 2; .type 32; .endef\n"
    ".p2align 4\n"
    "_FrameworkLibrary_BindingStub:\n"
    ".cfi_startproc\n"
    "    pushl %eax\n"                      // the slot
    ".cfi_adjust_cfa_offset 4\n"
    "    pushl %ecx\n"                      // register arguments of other conventions
    ".cfi_adjust_cfa_offset 4\n"
    "    pushl %edx\n"
    ".cfi_adjust_cfa_offset 4\n"
    "    call _FrameworkLibrary_BindAll\n"
    "    popl %edx\n"
    ".cfi_adjust_cfa_offset -4\n"
    "    popl %ecx\n"
    ".cfi_adjust_cfa_offset -4\n"
    "    popl %eax\n"
    ".cfi_adjust_cfa_offset -4\n"
    "    jmp *_FrameworkEntryTable(,%eax,8)\n"
    ".cfi_endproc\n"
    );

#elif defined(__GNUC__) && defined(__x86_64__)

// Windows x64: arguments in rcx, rdx, r8, r9 or xmm0-xmm3, more on the stack
// above the caller's 32-byte shadow space. The frame keeps all eight argument
// registers and the slot, and gives BindAll its own shadow space with rsp
// 16-byte aligned at the call (it is 8 off on entry: 136 = 8 + 128).
__asm__(
    ".text\n"
    ".globl FrameworkLibrary_BindingStub\n"
    ".def FrameworkLibrary_BindingStub; .scl 2; .type 32; .endef\n"
    ".p2align 4\n"
    ".seh_proc FrameworkLibrary_BindingStub\n"
    "FrameworkLibrary_BindingStub:\n"
    "    subq $136, %rsp\n"
    ".seh_stackalloc 136\n"
    ".seh_endprologue\n"
    "    movq %rcx, 32(%rsp)\n"
    "    movq %rdx, 40(%rsp)\n"
    "    movq %r8, 48(%rsp)\n"
    "    movq %r9, 56(%rsp)\n"
    "    movdqa %xmm0, 64(%rsp)\n"
    "    movdqa %xmm1, 80(%rsp)\n"
    "    movdqa %xmm2, 96(%rsp)\n"
    "    movdqa %xmm3, 112(%rsp)\n"
    "    movq %rax, 128(%rsp)\n"            // the slot
    "    call FrameworkLibrary_BindAll\n"
    "    movq 32(%rsp), %rcx\n"
    "    movq 40(%rsp), %rdx\n"
    "    movq 48(%rsp), %r8\n"
    "    movq 56(%rsp), %r9\n"
    "    movdqa 64(%rsp), %xmm0\n"
    "    movdqa 80(%rsp), %xmm1\n"
    "    movdqa 96(%rsp), %xmm2\n"
    "    movdqa 112(%rsp), %xmm3\n"
    "    movq 128(%rsp), %rax\n"
    "    addq $136, %rsp\n"
    "    shlq $4, %rax\n"
    "    leaq FrameworkEntryTable(%rip), %r11\n"
    "    jmp *(%r11,%rax)\n"
    ".seh_endproc\n"
    );

#else
#error "The binding stub is written for x86 and x86-64 only."
#endif
