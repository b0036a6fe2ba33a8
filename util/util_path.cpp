// Path routines and module paths. Each walks whole characters, so the trail
// byte of a double-byte character is never read as a separator or a ':'.
#include "util/util_path.h"

#include "util/util_str.h"

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Bytes of the character at text (not the terminator).
unsigned CharBytes(const BYTE* lead, const char* text)
{
    if (lead[static_cast<BYTE>(text[0])] != 0 && text[1] != '\0')
        return 2;
    return 1;
}

}  // namespace

char* UtilPath_AddSeparator(char* path, unsigned size)
{
    unsigned length = UtilStr_Length(path);
    char* end = path + length;
    if (length == 0)
        return end;
    if (IsSeparator(*CharPrevA(path, end)))
        return end;
    if (length + 1 >= size)
        return nullptr;
    end[0] = '\\';
    end[1] = '\0';
    return end + 1;
}

int UtilPath_RemoveFileName(char* path)
{
    const BYTE* lead = UtilStr_LeadBytes();
    char* cut = path;
    char* p = path;
    while (*p != '\0') {
        if (IsSeparator(*p)) {
            cut = p;
            ++p;
        } else if (*p == ':') {
            ++p;
            if (*p == '\\')
                ++p;
            cut = p;
        } else {
            p += CharBytes(lead, p);
        }
    }
    if (*cut == '\0')
        return 0;
    if (cut == path && IsSeparator(*path)) {
        if (path[1] == '\0')
            return 0;
        path[1] = '\0';
        return 1;
    }
    *cut = '\0';
    return 1;
}

char* UtilPath_Combine(char* path, unsigned size, const char* second)
{
    char* end = UtilPath_AddSeparator(path, size);
    if (end == nullptr)
        return nullptr;
    if (IsSeparator(*second))
        ++second;
    if (static_cast<unsigned>(end - path) + UtilStr_Length(second) >= size)
        return nullptr;
    UtilStr_Copy(end, second);
    return path;
}

int UtilModule_GetDirectory(HMODULE module, char* buffer, unsigned size)
{
    if (size == 0)
        return 0;
    DWORD length = GetModuleFileNameA(module, buffer, size);
    // A name cut to fit the buffer is a wrong name: take it as a failure.
    if (length == 0 || length >= size) {
        buffer[0] = '\0';
        return 0;
    }
    UtilPath_RemoveFileName(buffer);
    return 1;
}

int UtilModule_BuildPath(HMODULE module, const char* fileName, char* out, unsigned size)
{
    if (!UtilModule_GetDirectory(module, out, size))
        return 0;
    if (UtilPath_Combine(out, size, fileName) == nullptr) {
        out[0] = '\0';
        return 0;
    }
    return 1;
}
