// Test-only stand-in for the few platform declarations the text, path and
// formatter routines use, so that they build natively on Linux for fuzzing
// with the compiler's sanitizers. Not part of the program. The DBCS text
// functions follow code page 932 or a single-byte code page (1252), chosen
// by SHIM_CODE_PAGE when the process starts (Shim_SetCodePage is for the
// table check only: the routines under test take the lead bytes once per
// process); fuzz/platform_text_cases.h holds them to what the real
// functions answer.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int BOOL;
typedef unsigned char BYTE;
typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef char16_t WCHAR;
typedef struct ShimModule* HMODULE;
typedef intptr_t INT_PTR;

#define TRUE 1
#define FALSE 0
#define CP_ACP 0u
#define MAX_PATH 260

BOOL IsDBCSLeadByte(BYTE byte);
char* CharNextA(const char* text);
char* CharPrevA(const char* start, const char* position);
char* CharUpperA(char* text);
int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* text, int count, char* bytes, int size,
                        const char* defaultChar, BOOL* usedDefault);
UINT GetACP();
// The file name of every module: Shim_SetModuleFileName's text.
DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size);

void Shim_SetCodePage(UINT codePage);  // 932 or 1252; for the table check
void Shim_SetModuleFileName(const char* name);
