// Text and number routines over NUL-terminated ANSI strings in the active
// code page. A character is one byte, or two when its first byte is a DBCS
// lead byte; no routine cuts a pair. Lengths and sizes are in bytes, sizes
// include the terminator. Nothing here allocates.
//
// A lead byte directly followed by the terminator (text that is not well
// formed) counts as a character of one byte, as the platform's CharNextA
// takes it; no routine reads past the terminator. A routine bounded by a
// byte count never reads the byte after a lead byte that sits at the last
// allowed position.
#pragma once

#include <windows.h>

// The active code page's lead bytes (nonzero entries), asked of
// IsDBCSLeadByte once per process: the active code page does not change
// while a process runs, and a platform call per byte was most of the
// formatter's time. Routines take the table once and index it per byte.
const BYTE* UtilStr_LeadBytes();

// Bytes before the terminator.
unsigned UtilStr_Length(const char* text);
// Bytes of the whole characters before the terminator that end within
// maximum bytes; never more than maximum. Reads at most maximum bytes.
unsigned UtilStr_LengthMax(const char* text, unsigned maximum);
// Copies the first character (one or two bytes, no terminator); nonzero when
// a trail byte was copied.
int UtilStr_CopyChar(char* destination, const char* source);
// Copies the whole source with its terminator, unbounded: measure first.
char* UtilStr_Copy(char* destination, const char* source);
// Copies whole characters of source into size bytes and terminates; the text
// is at most size - 1 bytes. Null (nothing written) when size is 0.
char* UtilStr_CopyMax(char* destination, const char* source, unsigned size);
// Appends whole characters of text to the text in destination, a buffer of
// limit bytes; never writes its last byte, so the result is at most
// limit - 2 bytes long. Leaves destination unchanged when it is already
// limit - 1 bytes or longer (or limit is 0). Returns destination.
char* UtilStr_Append(char* destination, const char* text, unsigned limit);

// Decimal or hexadecimal text of a 32-bit value in size bytes. On a buffer
// too small the result is null and the buffer keeps the leading digits (and
// '-') that fitted, terminated; with size 0 nothing is written.
// FormatInt returns the first digit (after any '-').
char* UtilNum_FormatInt(LONG value, char* buffer, unsigned size);
char* UtilNum_FormatUInt(DWORD value, char* buffer, unsigned size);
// Lowercase digits, no prefix, no leading zeros.
char* UtilNum_FormatHex(DWORD value, char* buffer, unsigned size);
