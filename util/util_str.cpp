// Text and number routines: character-aware length, copy and append, and
// 32-bit integers as decimal or hexadecimal text in bounded buffers.
#include "util/util_str.h"

namespace {

struct LeadByteTable {
    BYTE lead[256];
};

LeadByteTable MakeLeadByteTable()
{
    LeadByteTable table;
    for (unsigned byte = 0; byte < 256; ++byte)
        table.lead[byte] = IsDBCSLeadByte(static_cast<BYTE>(byte)) ? 1 : 0;
    return table;
}

bool IsLead(const BYTE* lead, char c)
{
    return lead[static_cast<BYTE>(c)] != 0;
}

// Copies whole characters of source while each leaves room for the
// terminator (a character of k bytes needs k < room), then terminates.
void CopyWithinRoom(char* destination, const char* source, unsigned room)
{
    const BYTE* lead = UtilStr_LeadBytes();
    while (*source != '\0') {
        // A lead byte needs two bytes: decide on room before looking at
        // the byte after it, which may lie past a bounded source.
        unsigned k = IsLead(lead, *source) ? 2 : 1;
        if (k >= room)
            break;
        if (k == 2 && source[1] == '\0')
            k = 1;
        destination[0] = source[0];
        if (k == 2)
            destination[1] = source[1];
        destination += k;
        source += k;
        room -= k;
    }
    *destination = '\0';
}

// Writes the digits of value in Base (10 or 16) most significant first into
// size bytes (size > 0); null when they do not all fit. The base is a
// constant so that the division is one.
template <unsigned Base>
char* FormatUnsigned(DWORD value, char* buffer, unsigned size)
{
    static const char kDigits[] = "0123456789abcdef";
    char scratch[32];
    unsigned count = 0;
    do {
        scratch[count++] = kDigits[value % Base];
        value /= Base;
    } while (value != 0 && count < sizeof scratch);

    char* out = buffer;
    unsigned written = 0;
    while (count > 0) {
        if (size - written <= 1) {
            *out = '\0';
            return nullptr;
        }
        *out++ = scratch[--count];
        ++written;
    }
    *out = '\0';
    return buffer;
}

}  // namespace

const BYTE* UtilStr_LeadBytes()
{
    static const LeadByteTable table = MakeLeadByteTable();
    return table.lead;
}

unsigned UtilStr_Length(const char* text)
{
    const char* end = text;
    while (*end != '\0')
        end = CharNextA(end);
    return static_cast<unsigned>(end - text);
}

unsigned UtilStr_LengthMax(const char* text, unsigned maximum)
{
    const BYTE* lead = UtilStr_LeadBytes();
    unsigned length = 0;
    while (length < maximum && text[length] != '\0') {
        unsigned k = 1;
        if (IsLead(lead, text[length])) {
            if (maximum - length < 2)
                break;
            if (text[length + 1] != '\0')
                k = 2;
        }
        length += k;
    }
    return length;
}

int UtilStr_CopyChar(char* destination, const char* source)
{
    destination[0] = source[0];
    if (source[0] != '\0' && IsLead(UtilStr_LeadBytes(), source[0]) && source[1] != '\0') {
        destination[1] = source[1];
        return 1;
    }
    return 0;
}

char* UtilStr_Copy(char* destination, const char* source)
{
    char* out = destination;
    while (*source != '\0') {
        unsigned k = UtilStr_CopyChar(out, source) ? 2 : 1;
        out += k;
        source += k;
    }
    *out = '\0';
    return destination;
}

char* UtilStr_CopyMax(char* destination, const char* source, unsigned size)
{
    if (size == 0)
        return nullptr;
    CopyWithinRoom(destination, source, size);
    return destination;
}

char* UtilStr_Append(char* destination, const char* text, unsigned limit)
{
    if (limit == 0)
        return destination;
    // Measured within the limit, so a destination with no terminator inside
    // its buffer is taken as full rather than read beyond.
    unsigned length = UtilStr_LengthMax(destination, limit);
    if (length + 1 >= limit)
        return destination;
    CopyWithinRoom(destination + length, text, limit - length - 1);
    return destination;
}

char* UtilNum_FormatUInt(DWORD value, char* buffer, unsigned size)
{
    if (size == 0)
        return nullptr;
    return FormatUnsigned<10>(value, buffer, size);
}

char* UtilNum_FormatHex(DWORD value, char* buffer, unsigned size)
{
    if (size == 0)
        return nullptr;
    return FormatUnsigned<16>(value, buffer, size);
}

char* UtilNum_FormatInt(LONG value, char* buffer, unsigned size)
{
    if (size == 0)
        return nullptr;
    if (size == 1) {
        buffer[0] = '\0';
        return nullptr;
    }
    if (value >= 0)
        return UtilNum_FormatUInt(static_cast<DWORD>(value), buffer, size);
    buffer[0] = '-';
    // The magnitude as unsigned: -2147483648 has no positive LONG.
    return UtilNum_FormatUInt(0u - static_cast<DWORD>(value), buffer + 1, size - 1);
}
