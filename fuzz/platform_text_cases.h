// What the platform's DBCS text functions answer, as a table shared by two
// checks: tests/platform_text_test.cpp holds the real functions (under Wine)
// to it, and fuzz/shim_check.cpp holds the fuzzing build's stand-in
// functions to it. A row that the real platform contradicts fails there, so
// the stand-in cannot drift from the platform unnoticed.
#pragma once

namespace platform_text {

// Lead-byte ranges of a code page (none for a single-byte one).
struct LeadRange {
    unsigned codePage;
    unsigned char first;
    unsigned char last;
};
const LeadRange kLeadRanges[] = {
    {932, 0x81, 0x9F},
    {932, 0xE0, 0xFC},
};

inline bool ExpectLead(unsigned codePage, unsigned char byte)
{
    for (const LeadRange& range : kLeadRanges)
        if (range.codePage == codePage && byte >= range.first && byte <= range.last)
            return true;
    return false;
}

// CharNextA(text + at) and CharPrevA(text, text + at), as offsets.
struct StepCase {
    unsigned codePage;
    const char* text;
    unsigned at;
    unsigned next;
    unsigned prev;
};
const StepCase kSteps[] = {
    {1252, "abc", 0, 1, 0},
    {1252, "abc", 2, 3, 1},
    {1252, "abc", 3, 3, 2},
    {1252, "\x82\xa0z", 0, 1, 0},
    {1252, "\x82\xa0z", 2, 3, 1},
    {932, "a\x82\xa0z", 1, 3, 0},
    {932, "a\x82\xa0z", 3, 4, 1},
    {932, "a\x82\xa0z", 4, 4, 3},
    {932, "\x83\x5c\\", 3, 3, 2},
    {932, "\x83\x5c\\", 2, 3, 0},
    {932, "\x81\x81\x81", 3, 3, 2},
    {932, "ab\x82", 2, 3, 1},
    {932, "ab\x82", 3, 3, 2},
    {932, "", 0, 0, 0},
};

// CharUpperA on a text, in place.
struct UpperCase {
    unsigned codePage;
    const char* text;
    const char* upper;
};
const UpperCase kUppers[] = {
    {1252, "0123456789abcdef", "0123456789ABCDEF"},
    {1252, "deadbeef", "DEADBEEF"},
    {1252, "Mixed Case 09!", "MIXED CASE 09!"},
    {932, "0123456789abcdef", "0123456789ABCDEF"},
    {932, "x\x83\x61y", "X\x83\x61Y"},
};

// WideCharToMultiByte(CP_ACP, 0, text, count, ...) without a default
// character: the bytes produced.
struct WideCase {
    unsigned codePage;
    unsigned short text[4];
    int count;
    const char* bytes;
};
const WideCase kWides[] = {
    {1252, {'a', 0}, 1, "a"},
    {1252, {0x00e9, 0}, 1, "\xe9"},
    {1252, {0x20ac, 0}, 1, "\x80"},
    {1252, {0x3042, 0}, 1, "?"},
    {1252, {'a', 'b', 'c'}, 3, "abc"},
    {932, {'a', 0}, 1, "a"},
    {932, {0x3042, 0}, 1, "\x82\xa0"},
    {932, {0x30bd, 0}, 1, "\x83\x5c"},
    {932, {0xff71, 0}, 1, "\xb1"},
    {932, {0x0e01, 0}, 1, "?"},
    {932, {'a', 0x3044, 'b'}, 3, "a\x82\xa2" "b"},
};

}  // namespace platform_text
