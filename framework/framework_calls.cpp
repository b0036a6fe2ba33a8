// The call wrappers of the six framework operations the console uses. Each
// is declared in framework_interface.h exactly as the operation and consists
// of two instructions: the slot number into eax/rax (for the binding stub,
// outside the call's arguments) and a jump through the slot's entry. Nothing
// is tested: before binding the entry holds the stub, after binding the
// library's address, so a bound call costs that one indirect jump, and the
// operation returns straight to the caller with its own result.
#include "framework/framework_interface.h"
#include "framework/framework_library.h"

#if defined(_MSC_VER) && defined(_M_IX86)

#define FRAMEWORK_WRAPPER_BODY(name)                     \
    {                                                    \
        __asm mov eax, FRAMEWORK_SLOT_##name             \
        __asm jmp dword ptr [FrameworkEntryTable + 8 * FRAMEWORK_SLOT_##name] \
    }

extern "C" {
__declspec(naked) BOOL WINAPI InitOrvaneTovalen(const FrameworkInitInfo*)
FRAMEWORK_WRAPPER_BODY(InitOrvaneTovalen)
__declspec(naked) PackedVersion WINAPI TovalenGetPackedVersion(void)
FRAMEWORK_WRAPPER_BODY(TovalenGetPackedVersion)
__declspec(naked) HWND WINAPI DoTovalenWindowA(const FrameworkWindowInfo*)
FRAMEWORK_WRAPPER_BODY(DoTovalenWindowA)
__declspec(naked) BOOL WINAPI TovalenGetLocationFieldValue(const char*, const char*, char*, int)
FRAMEWORK_WRAPPER_BODY(TovalenGetLocationFieldValue)
__declspec(naked) BOOL WINAPI TovalenRegisterDebugger(FrameworkDebuggerProc, LPARAM, DWORD)
FRAMEWORK_WRAPPER_BODY(TovalenRegisterDebugger)
__declspec(naked) BOOL __cdecl TovalenFormatLocation(char*, int, const char*, int, ...)
FRAMEWORK_WRAPPER_BODY(TovalenFormatLocation)
}

#elif defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))

// The slot numbers as assembler symbols, from the one export list.
#define FRAMEWORK_EXPORT(slot, name) ".set FRAMEWORK_SLOT_" #name ", " #slot "\n"
__asm__(
#include "framework/framework_exports.h"
);
#undef FRAMEWORK_EXPORT

#if defined(__i386__)
// symbol: the decorated name of the declaration (stdcall: _name@bytes of
// arguments; cdecl: _name), so that the linker holds it to the declaration.
#define FRAMEWORK_WRAPPER(symbol, name)                                 \
    ".globl " symbol "\n"                                               \
    ".def " symbol "; .scl 2; .type 32; .endef\n"                       \
    ".p2align 4\n" symbol ":\n"                                         \
    "    movl $FRAMEWORK_SLOT_" #name ", %eax\n"                        \
    "    jmp *_FrameworkEntryTable + 8 * FRAMEWORK_SLOT_" #name "\n"

__asm__(
    ".text\n"
    FRAMEWORK_WRAPPER("_InitOrvaneTovalen@4", InitOrvaneTovalen)
    FRAMEWORK_WRAPPER("_TovalenGetPackedVersion@0", TovalenGetPackedVersion)
    FRAMEWORK_WRAPPER("_DoTovalenWindowA@4", DoTovalenWindowA)
    FRAMEWORK_WRAPPER("_TovalenGetLocationFieldValue@16", TovalenGetLocationFieldValue)
    FRAMEWORK_WRAPPER("_TovalenRegisterDebugger@12", TovalenRegisterDebugger)
    FRAMEWORK_WRAPPER("_TovalenFormatLocation", TovalenFormatLocation)
    );
#else
// x64 has one calling convention and no decoration. The wrapper neither
// touches the stack nor calls, so it needs no unwind information.
#define FRAMEWORK_WRAPPER(symbol, name)                                       \
    ".globl " symbol "\n"                                                     \
    ".def " symbol "; .scl 2; .type 32; .endef\n"                             \
    ".p2align 4\n" symbol ":\n"                                               \
    "    movl $FRAMEWORK_SLOT_" #name ", %eax\n"                              \
    "    jmp *(FrameworkEntryTable + 16 * FRAMEWORK_SLOT_" #name ")(%rip)\n"

__asm__(
    ".text\n"
    FRAMEWORK_WRAPPER("InitOrvaneTovalen", InitOrvaneTovalen)
    FRAMEWORK_WRAPPER("TovalenGetPackedVersion", TovalenGetPackedVersion)
    FRAMEWORK_WRAPPER("DoTovalenWindowA", DoTovalenWindowA)
    FRAMEWORK_WRAPPER("TovalenGetLocationFieldValue", TovalenGetLocationFieldValue)
    FRAMEWORK_WRAPPER("TovalenRegisterDebugger", TovalenRegisterDebugger)
    FRAMEWORK_WRAPPER("TovalenFormatLocation", TovalenFormatLocation)
    );
#endif

#else
#error "The call wrappers are written for x86 and x86-64 only."
#endif
