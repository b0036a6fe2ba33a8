// The bounded message formatter: one pass over the format, every field cut
// to the room left, whole characters only.
#include "util/util_format.h"

#include <cstring>

#include "util/util_str.h"

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(UtilCountedText) == 8, "laid out as ANSI_STRING");
static_assert(sizeof(UtilCountedWideText) == 8, "laid out as UNICODE_STRING");
#endif

namespace {

struct Output {
    char* position;
    unsigned room;  // bytes not yet written, terminator included
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads a decimal count, saturating rather than wrapping.
unsigned ReadCount(const char*& p)
{
    unsigned value = 0;
    while (IsDigit(*p)) {
        unsigned digit = static_cast<unsigned>(*p - '0');
        value = value > (0xFFFFFFFFu - digit) / 10 ? 0xFFFFFFFFu : value * 10 + digit;
        ++p;
    }
    return value;
}

// Copies count bytes; the short pieces of typical messages are copied in
// place rather than through the runtime's memcpy.
void CopyBytes(char* destination, const char* source, unsigned count)
{
    if (count >= 32) {
        memcpy(destination, source, count);
        return;
    }
    for (unsigned i = 0; i < count; ++i)
        destination[i] = source[i];
}

void EmitFill(Output& out, char fill, unsigned count)
{
    if (count > out.room - 1)
        count = out.room - 1;
    for (unsigned i = 0; i < count; ++i)
        out.position[i] = fill;
    out.position += count;
    out.room -= count;
}

// len bytes of whole characters of text, cut to the room at a whole character.
void EmitText(Output& out, const char* text, unsigned len)
{
    if (len > out.room - 1)
        len = UtilStr_LengthMax(text, out.room - 1);
    CopyBytes(out.position, text, len);
    out.position += len;
    out.room -= len;
}

void EmitWide(Output& out, const WCHAR* text, unsigned len)
{
    unsigned limit = len < out.room - 1 ? len : out.room - 1;
    unsigned produced = UtilWStr_ToAnsi(text, len, out.position, limit + 1);
    out.position += produced;
    out.room -= produced;
}

}  // namespace

int UtilStr_FormatV(char* buffer, unsigned size, const char* format, va_list args)
{
    if (size == 0)
        return 0;
    const BYTE* lead = UtilStr_LeadBytes();
    Output out{buffer, size};
    const char* p = format;
    while (*p != '\0' && out.room > 1) {
        if (*p != '%') {
            // A run of single-byte characters is copied in one loop, cut so
            // that the terminator still fits.
            const char* run = p;
            const char* runLimit = p + (out.room - 1);
            char* to = out.position;
            while (run < runLimit) {
                char c = *run;
                if (c == '\0' || c == '%' || lead[static_cast<BYTE>(c)] != 0)
                    break;
                *to++ = c;
                ++run;
            }
            if (run != p) {
                out.position = to;
                out.room -= static_cast<unsigned>(run - p);
                p = run;
                continue;
            }
            unsigned k = lead[static_cast<BYTE>(*p)] != 0 && p[1] != '\0' ? 2 : 1;
            if (k >= out.room)
                break;
            out.position[0] = p[0];
            if (k == 2)
                out.position[1] = p[1];
            out.position += k;
            out.room -= k;
            p += k;
            continue;
        }

        ++p;
        unsigned cap = out.room - 1;
        bool left = false, zero = false, wide = false, longFlag = false, shortFlag = false;
        if (*p == '-') {
            left = true;
            ++p;
        }
        if (*p == '0') {
            zero = true;
            ++p;
        }
        unsigned width = ReadCount(p);
        unsigned precision = cap;
        if (*p == '.') {
            ++p;
            precision = ReadCount(p);
        }
        if (*p == 'l') {
            longFlag = true;
            ++p;
        }
        if (*p == 'h') {
            shortFlag = true;
            ++p;
        }
        char conversion = *p;
        if (conversion == '\0')
            break;  // the format ends inside a directive
        // A lead byte as conversion character is unrecognised; its trail
        // byte goes with it, so that it is never read as text or a '%'.
        p += lead[static_cast<BYTE>(conversion)] != 0 && p[1] != '\0' ? 2 : 1;
        bool narrow = shortFlag && !longFlag;

        char scratch[32];
        const char* text = nullptr;
        const WCHAR* wideText = nullptr;
        switch (conversion) {
        case '%':
            scratch[0] = '%';
            scratch[1] = '\0';
            text = scratch;
            break;
        case 'c':
        case 'C':
            scratch[0] = static_cast<char>(va_arg(args, int));
            scratch[1] = '\0';
            text = scratch;
            break;
        case 's':
            text = va_arg(args, const char*);
            break;
        case 'S':
            wideText = va_arg(args, const WCHAR*);
            wide = true;
            break;
        case 'd':
        case 'i': {
            LONG value = static_cast<LONG>(va_arg(args, int));
            if (narrow)
                value = static_cast<SHORT>(value);
            UtilNum_FormatInt(value, scratch, sizeof scratch);
            text = scratch;
            break;
        }
        case 'u': {
            DWORD value = static_cast<DWORD>(va_arg(args, int));
            UtilNum_FormatUInt(narrow ? value & 0xFFFF : value, scratch, sizeof scratch);
            text = scratch;
            break;
        }
        case 'x':
        case 'X': {
            DWORD value = static_cast<DWORD>(va_arg(args, int));
            UtilNum_FormatHex(narrow ? value & 0xFFFF : value, scratch, sizeof scratch);
            if (conversion == 'X')
                CharUpperA(scratch);
            text = scratch;
            break;
        }
        case 'z': {
            const UtilCountedText* record = va_arg(args, const UtilCountedText*);
            text = record->Buffer;
            if (record->Length < precision)
                precision = record->Length;
            break;
        }
        case 'Z': {
            const UtilCountedWideText* record = va_arg(args, const UtilCountedWideText*);
            wideText = record->Buffer;
            wide = true;
            if (record->Length / 2u < precision)
                precision = record->Length / 2u;
            break;
        }
        default:
            break;
        }
        if (text == nullptr && wideText == nullptr)
            continue;

        if (precision > cap)
            precision = cap;
        unsigned len = wide ? UtilWStr_LengthMax(wideText, precision) : UtilStr_LengthMax(text, precision);
        unsigned fill = 0;
        if (width > len) {
            fill = width - len;
            if (fill > precision)
                fill = precision;
        }
        if (!left)
            EmitFill(out, zero ? '0' : ' ', fill);
        if (wide)
            EmitWide(out, wideText, len);
        else
            EmitText(out, text, len);
        if (left)
            EmitFill(out, ' ', fill);
    }
    *out.position = '\0';
    return static_cast<int>(out.position - buffer);
}

int UtilStr_Format(char* buffer, unsigned size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int written = UtilStr_FormatV(buffer, size, format, args);
    va_end(args);
    return written;
}

unsigned UtilWStr_Length(const WCHAR* text)
{
    unsigned length = 0;
    while (text[length] != 0)
        ++length;
    return length;
}

unsigned UtilWStr_LengthMax(const WCHAR* text, unsigned maximum)
{
    unsigned length = 0;
    while (length < maximum && text[length] != 0)
        ++length;
    return length;
}

unsigned UtilWStr_ToAnsi(const WCHAR* text, unsigned count, char* destination, unsigned size)
{
    if (size == 0)
        return 0;
    unsigned produced = 0;
    unsigned i = 0;
    while (i < count && text[i] != 0) {
        // A surrogate pair is one character: convert its two halves together.
        int units = 1;
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            units = 2;
        char bytes[8];
        int k = WideCharToMultiByte(CP_ACP, 0, text + i, units, bytes, sizeof bytes, nullptr, nullptr);
        if (k <= 0 || static_cast<unsigned>(k) >= size - produced)
            break;
        memcpy(destination + produced, bytes, static_cast<unsigned>(k));
        produced += static_cast<unsigned>(k);
        i += static_cast<unsigned>(units);
    }
    destination[produced] = '\0';
    return produced;
}
