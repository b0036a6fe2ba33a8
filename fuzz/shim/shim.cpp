// The stand-in platform text functions of shim/windows.h.
#include "windows.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// As on the platform, the code page is fixed when the process starts:
// SHIM_CODE_PAGE=932 or 1252 (the default).
UINT StartingCodePage()
{
    const char* value = getenv("SHIM_CODE_PAGE");
    return value != nullptr && strcmp(value, "932") == 0 ? 932 : 1252;
}

UINT g_codePage = StartingCodePage();
std::string g_moduleFileName = "C:\\Program\\TovaCon.exe";

// Code page 932: the ranges of wide characters the checks and the fuzz
// inputs use; anything else becomes '?', as with no default character.
int To932(unsigned c, char* out)
{
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c >= 0xFF61 && c <= 0xFF9F) {  // half-width katakana
        out[0] = static_cast<char>(0xA1 + (c - 0xFF61));
        return 1;
    }
    unsigned code = 0;
    if (c >= 0x3041 && c <= 0x3093)  // hiragana
        code = 0x829F + (c - 0x3041);
    else if (c >= 0x30A1 && c <= 0x30DF)  // katakana, before the gap at 0x837F
        code = 0x8340 + (c - 0x30A1);
    else if (c >= 0x30E0 && c <= 0x30F6)
        code = 0x8380 + (c - 0x30E0);
    if (code == 0) {
        out[0] = '?';
        return 1;
    }
    out[0] = static_cast<char>(code >> 8);
    out[1] = static_cast<char>(code & 0xFF);
    return 2;
}

int To1252(unsigned c, char* out)
{
    static const unsigned short kHigh[32] = {
        0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
        0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    for (unsigned i = 0; i < 32; ++i) {
        if (kHigh[i] != 0 && kHigh[i] == c) {
            out[0] = static_cast<char>(0x80 + i);
            return 1;
        }
    }
    out[0] = '?';
    return 1;
}

}  // namespace

void Shim_SetCodePage(UINT codePage)
{
    g_codePage = codePage;
}

void Shim_SetModuleFileName(const char* name)
{
    g_moduleFileName = name;
}

UINT GetACP()
{
    return g_codePage;
}

BOOL IsDBCSLeadByte(BYTE byte)
{
    return g_codePage == 932 && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

char* CharNextA(const char* text)
{
    if (*text == '\0')
        return const_cast<char*>(text);
    if (IsDBCSLeadByte(static_cast<BYTE>(text[0])) && text[1] != '\0')
        return const_cast<char*>(text + 2);
    return const_cast<char*>(text + 1);
}

char* CharPrevA(const char* start, const char* position)
{
    while (*start != '\0' && start < position) {
        const char* next = CharNextA(start);
        if (next >= position)
            break;
        start = next;
    }
    return const_cast<char*>(start);
}

char* CharUpperA(char* text)
{
    for (char* p = text; *p != '\0'; ++p) {
        BYTE c = static_cast<BYTE>(*p);
        if (IsDBCSLeadByte(c) && p[1] != '\0') {
            ++p;  // the pair is left as it is
            continue;
        }
        if (c >= 'a' && c <= 'z')
            *p = static_cast<char>(c - 0x20);
        else if (g_codePage == 1252) {
            if ((c >= 0xE0 && c <= 0xFE && c != 0xF7))
                *p = static_cast<char>(c - 0x20);
            else if (c == 0x9A || c == 0x9C || c == 0x9E)
                *p = static_cast<char>(c - 0x10);
            else if (c == 0xFF)
                *p = static_cast<char>(0x9F);
        }
    }
    return text;
}

int WideCharToMultiByte(UINT, DWORD, const WCHAR* text, int count, char* bytes, int size, const char*, BOOL*)
{
    if (count < 0) {
        count = 0;
        while (text[count] != 0)
            ++count;
        ++count;  // with the terminator
    }
    int produced = 0;
    for (int i = 0; i < count; ++i) {
        unsigned c = text[i];
        char out[2];
        int k;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            out[0] = '?';  // a pair outside both code pages
            k = 1;
            ++i;
        } else {
            k = g_codePage == 932 ? To932(c, out) : To1252(c, out);
        }
        if (size != 0) {
            if (produced + k > size)
                return 0;  // ERROR_INSUFFICIENT_BUFFER
            memcpy(bytes + produced, out, static_cast<size_t>(k));
        }
        produced += k;
    }
    return produced;
}

DWORD GetModuleFileNameA(HMODULE, char* buffer, DWORD size)
{
    // As the platform: the name cut to fit, size returned when cut.
    if (size == 0)
        return 0;
    DWORD length = static_cast<DWORD>(g_moduleFileName.size());
    if (length >= size) {
        memcpy(buffer, g_moduleFileName.data(), size - 1);
        buffer[size - 1] = '\0';
        return size;
    }
    memcpy(buffer, g_moduleFileName.c_str(), length + 1);
    return length;
}
