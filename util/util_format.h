// The library's bounded message formatter. Its directive set and fill rules
// are its own (not the runtime's printf):
//   %[-][0][width][.precision][l][h]conversion
//   %  a '%'            c C  the low byte of an int (0 gives empty text)
//   s  ANSI text        S    wide text, converted to the active code page
//   d i  signed int     u    unsigned int      x X  hexadecimal
//   z  const UtilCountedText*   Z  const UtilCountedWideText*
// "h" takes the low 16 bits (sign-extended for d, i); "l" cancels "h". A null
// text pointer (or record Buffer) emits nothing. Any other conversion
// character makes the directive vanish and takes no argument.
// The precision is the most bytes (wide text: characters) taken from the
// converted argument, numbers too (%.2d of 12345 is 12); the fill never
// exceeds it; zeros go before a sign (%05d of -42 is 00-42).
//
// Arguments: on i686 every conversion takes one 32-bit stack slot. The
// routines read them with va_arg in their natural types, which is the same
// thing there and what x86_64 needs: c C d i u x X take an int (pass
// integers as 32-bit values, never 64-bit ones), s S z Z take a pointer.
//
// The output never passes size bytes, always ends with a terminator (size
// at least 1), never splits a double-byte character; the result is the
// count of bytes before the terminator. Where a field's fill and text
// together need more than the room left, whichever comes last is cut
// (the text at a whole character). Wide text is converted a character at a
// time into at most as many bytes as it has characters: a character whose
// ANSI form does not fit there ends the field, and the output advances by
// the bytes produced.
#pragma once

#include <windows.h>

#include <cstdarg>

// The platform's ANSI_STRING and UNICODE_STRING: Length in bytes, the text
// need not be terminated.
struct UtilCountedText {
    USHORT Length;
    USHORT MaximumLength;
    const char* Buffer;
};
struct UtilCountedWideText {
    USHORT Length;
    USHORT MaximumLength;
    const WCHAR* Buffer;
};

int UtilStr_FormatV(char* buffer, unsigned size, const char* format, va_list args);
int UtilStr_Format(char* buffer, unsigned size, const char* format, ...);

// Wide characters before the first zero character.
unsigned UtilWStr_Length(const WCHAR* text);
// As UtilWStr_Length, reading and counting at most maximum characters.
unsigned UtilWStr_LengthMax(const WCHAR* text, unsigned maximum);
// Converts at most count wide characters (fewer at a zero character) to the
// active code page into size bytes, whole characters only, and terminates
// when size is at least 1. Returns the bytes produced before the terminator.
unsigned UtilWStr_ToAnsi(const WCHAR* text, unsigned count, char* destination, unsigned size);
