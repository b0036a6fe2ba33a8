// The bounded formatter: a table of formats with their arguments, each row
// formatted into a buffer of its own size followed by guard bytes. Rows with
// double-byte text run where the code page is 932.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/code_page.h"
#include "util/util_format.h"

namespace {

#define HIRA_A "\x82\xa0"
#define HIRA_I "\x82\xa2"

const char kGuard = '\x7f';

// What one call produced: the text before the terminator, the count
// returned, and whether the buffer's bounds and terminator held.
struct Formatted {
    std::string text;
    int count = -1;
    bool sound = false;  // terminator at count, no byte past size written
    bool untouched = false;
};

Formatted Format(unsigned size, const char* format, ...)
{
    std::vector<char> bytes(size + 16, kGuard);
    va_list args;
    va_start(args, format);
    Formatted result;
    result.count = UtilStr_FormatV(bytes.data(), size, format, args);
    va_end(args);
    bool guards = true;
    for (size_t i = size; i < bytes.size(); ++i)
        guards = guards && bytes[i] == kGuard;
    result.untouched = guards && (size == 0 || bytes[0] == kGuard);
    if (size == 0) {
        result.sound = guards && result.count == 0;
        return result;
    }
    result.sound = guards && result.count >= 0 && static_cast<unsigned>(result.count) < size &&
                   bytes[result.count] == '\0' && strlen(bytes.data()) == static_cast<size_t>(result.count);
    if (result.sound)
        result.text.assign(bytes.data(), result.count);
    return result;
}

struct Row {
    const char* name;
    Formatted actual;
    std::string expected;
};

void Check(const std::vector<Row>& rows)
{
    for (const Row& row : rows) {
        EXPECT_TRUE(row.actual.sound) << row.name << ": bounds, terminator or count broken";
        EXPECT_EQ(row.expected, row.actual.text) << row.name;
        EXPECT_EQ(static_cast<int>(row.expected.size()), row.actual.count) << row.name;
    }
}

const WCHAR kWideAbc[] = {'a', 'b', 'c', 0};

TEST(UtilStrFormat, Directives)
{
    const UtilCountedText counted = {3, 8, "abcdef"};
    const UtilCountedText countedNull = {3, 8, nullptr};
    const UtilCountedText countedShortText = {6, 8, "ab\0cdef"};
    const UtilCountedWideText countedWide = {4, 8, kWideAbc};
    const int kDeadBeef = static_cast<int>(3735928559u);
    Check({
        {"%-4d then a bar", Format(32, "%-4d|", 7), "7   |"},
        {"%04x of 255", Format(32, "%04x", 255), "00ff"},
        {"%X of 3735928559", Format(32, "%X", kDeadBeef), "DEADBEEF"},
        {"%x of 3735928559", Format(32, "%x", kDeadBeef), "deadbeef"},
        {"%hd of 65535", Format(32, "%hd", 65535), "-1"},
        {"%hu of 4294967295", Format(32, "%hu", -1), "65535"},
        {"%hx of 305419896", Format(32, "%hx", 305419896), "5678"},
        {"%lhd of 65535", Format(32, "%lhd", 65535), "65535"},
        {"%hld: 'l' after 'h' is the conversion", Format(32, "%hld", 65535), "d"},
        {"%u of -1", Format(32, "%u", -1), "4294967295"},
        {"%d and %i", Format(32, "%d %i", -2147483647 - 1, 2147483647), "-2147483648 2147483647"},
        {"%.0s with width", Format(32, "[%8.0s]", "abc"), "[]"},
        {"%q%d with 7", Format(32, "%q%d", 7), "7"},
        {"%5%", Format(32, "%5%"), "    %"},
        {"%-5%", Format(32, "%-5%|"), "%    |"},
        {"%05d of -42", Format(32, "%05d", -42), "00-42"},
        {"%-05d: zeros do not go after", Format(32, "%-05d|", -42), "-42  |"},
        {"%5.2s of abc", Format(32, "%5.2s", "abc"), "  ab"},
        {"%.2d of 12345", Format(32, "%.2d", 12345), "12"},
        {"%.d: precision 0", Format(32, "[%.d]", 12345), "[]"},
        {"%8s", Format(32, "%8s|", "abc"), "     abc|"},
        {"%-8s", Format(32, "%-8s|", "abc"), "abc     |"},
        {"%08s", Format(32, "%08s", "abc"), "00000abc"},
        {"%c and %C take the low byte", Format(32, "%c%C", 'A', 0x142), "AB"},
        {"%c of 0 is empty text", Format(32, "%c|%3c|", 0, 0), "|   |"},
        {"null %s takes its slot", Format(32, "%s%d", static_cast<const char*>(nullptr), 7), "7"},
        {"%S", Format(32, "%S|%5S", kWideAbc, kWideAbc), "abc|  abc"},
        {"%.2S", Format(32, "%.2S", kWideAbc), "ab"},
        {"null %S takes its slot", Format(32, "%S%d", static_cast<const WCHAR*>(nullptr), 7), "7"},
        {"%z takes Length bytes", Format(32, "%z", &counted), "abc"},
        {"%.2z", Format(32, "%.2z", &counted), "ab"},
        {"%5z", Format(32, "%5z", &counted), "  abc"},
        {"%z stops at a terminator within Length", Format(32, "%z", &countedShortText), "ab"},
        {"%z with a null Buffer", Format(32, "%z%d", &countedNull, 7), "7"},
        {"%Z takes Length / 2 characters", Format(32, "%Z", &countedWide), "ab"},
        {"trailing %", Format(32, "ab%"), "ab"},
        {"format ends in a directive", Format(32, "ab%-05.3"), "ab"},
        {"arguments in order", Format(64, "%s=%d (%x) %c", "key", 10, 10, 'z'), "key=10 (a) z"},
        {"log record header", Format(260, "%d\t%2d:%02d %d/%02d/%04d\t", 2, 9, 5, 7, 4, 2026),
         "2\t 9:05 7/04/2026\t"},
        {"header of a level with bit 31", Format(260, "%d\t", static_cast<int>(0x80000002u)), "-2147483646\t"},
        {"saturated width", Format(16, "%99999999999999d", 1), std::string(15, ' ')},
    });
}

TEST(UtilStrFormat, BufferLimits)
{
    Formatted zero = Format(0, "abc");
    EXPECT_EQ(0, zero.count);
    EXPECT_TRUE(zero.untouched) << "size 0 writes nothing";
    Check({
        {"size 1", Format(1, "abc%d", 5), ""},
        {"size 2", Format(2, "abc"), "a"},
        {"10 bytes of literal text", Format(10, "abcdefghijkl"), "abcdefghi"},
        {"10 bytes of %s", Format(10, "%s", "abcdefghijkl"), "abcdefghi"},
        {"text after a full buffer is dropped", Format(5, "abcd%s", "efg"), "abcd"},
        {"field cut to the cap", Format(6, "ab%s", "cdefgh"), "abcde"},
        {"right-aligned: fill first, the text gives way", Format(6, "%8d", 12345), "   12"},
        {"left-aligned: text first, the fill gives way", Format(6, "%-8d|", 12345), "12345"},
        {"fill lowered to the cap", Format(6, "%20s", "abc"), "     "},
        {"number cut to the cap", Format(4, "%d", -12345), "-12"},
        {"%% at the last byte", Format(4, "abc%%"), "abc"},
        {"wide text cut to the cap", Format(3, "%S", kWideAbc), "ab"},
    });
}

TEST(UtilStrFormat, DoubleByte932)
{
    TOVACON_REQUIRE_CP932();
    const WCHAR wideHiragana[] = {0x3042, 0x3044, 0};  // A, I: two bytes each in 932
    const WCHAR wideMixed[] = {'a', 0x3042, 'b', 0};
    const UtilCountedText countedPair = {3, 8, "a" HIRA_A "b"};
    Check({
        {"pair that would need the last byte is left out", Format(10, "abcdefgh" HIRA_A), "abcdefgh"},
        {"pair that fits", Format(11, "abcdefgh" HIRA_A "z"), "abcdefgh" HIRA_A},
        {"%s pair left out at the cap", Format(10, "%s", "abcdefgh" HIRA_A), "abcdefgh"},
        {"trail byte '%' is not a directive", Format(32, "\x81%d|%d", 7), "\x81%d|7"},
        {"trail byte '%' inside %s", Format(32, "%s|%d", "\x81%d", 7), "\x81%d|7"},
        {"lead byte as conversion takes its trail byte", Format(32, "%\x81%d", 7), "d"},
        {"precision cuts before a pair", Format(32, "%.2s|", "a" HIRA_A), "a|"},
        {"%z Length ending after a pair", Format(32, "%z|", &countedPair), "a" HIRA_A "|"},
        {"%.2z cuts before a pair", Format(32, "%.2z|", &countedPair), "a|"},
        {"%S of double-byte output: at most len bytes", Format(32, "%S|", wideHiragana), HIRA_A "|"},
        {"%S whole characters only", Format(32, "%S|", wideMixed), "a" HIRA_A "|"},
        {"%X upper-cases digits", Format(32, "%X", 0xabcdef), "ABCDEF"},
        {"literal pair with a trail byte '\\'", Format(32, "\x83\x5c%s", "x"), "\x83\x5cx"},
    });
}

TEST(UtilStrFormat, SingleByte1252)
{
    TOVACON_REQUIRE_CP1252();
    const WCHAR wideLatin[] = {0x00e9, 0x20ac, 0};  // e acute, euro sign
    Check({
        {"the same bytes are single characters", Format(10, "abcdefgh" HIRA_A), "abcdefgh\x82"},
        {"'%' after a high byte is a directive", Format(32, "\x81%d", 7), "\x81" "7"},
        {"high byte as conversion is one character", Format(32, "%\x81%d", 7), "7"},
        {"%S converts to the code page", Format(32, "%S", wideLatin), "\xe9\x80"},
        {"%c of a high byte", Format(32, "%c", 0xe9), "\xe9"},
    });
}

}  // namespace
