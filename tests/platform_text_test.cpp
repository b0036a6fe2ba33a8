// The platform's DBCS text functions against the table that the fuzzing
// build's stand-in functions are also held to (fuzz/platform_text_cases.h).
#include <gtest/gtest.h>

#include <string>

#include "fuzz/platform_text_cases.h"
#include "tests/support/code_page.h"

namespace {

TEST(PlatformText, LeadBytes)
{
    const UINT codePage = GetACP();
    for (unsigned byte = 0; byte < 256; ++byte)
        EXPECT_EQ(platform_text::ExpectLead(codePage, static_cast<unsigned char>(byte)),
                  IsDBCSLeadByte(static_cast<BYTE>(byte)) != 0)
            << "code page " << codePage << ", byte " << byte;
}

TEST(PlatformText, CharNextAndCharPrev)
{
    const UINT codePage = GetACP();
    int checked = 0;
    for (const platform_text::StepCase& row : platform_text::kSteps) {
        if (row.codePage != codePage)
            continue;
        ++checked;
        const char* at = row.text + row.at;
        EXPECT_EQ(row.next, static_cast<unsigned>(CharNextA(at) - row.text)) << "'" << row.text << "' at " << row.at;
        EXPECT_EQ(row.prev, static_cast<unsigned>(CharPrevA(row.text, at) - row.text))
            << "'" << row.text << "' at " << row.at;
    }
    if (checked == 0)
        GTEST_SKIP() << "no rows for code page " << codePage;
}

TEST(PlatformText, CharUpper)
{
    const UINT codePage = GetACP();
    for (const platform_text::UpperCase& row : platform_text::kUppers) {
        if (row.codePage != codePage)
            continue;
        std::string text = row.text;
        CharUpperA(&text[0]);
        EXPECT_EQ(std::string(row.upper), text) << "'" << row.text << "'";
    }
}

TEST(PlatformText, WideCharToMultiByte)
{
    const UINT codePage = GetACP();
    for (const platform_text::WideCase& row : platform_text::kWides) {
        if (row.codePage != codePage)
            continue;
        WCHAR text[4];
        for (int i = 0; i < 4; ++i)
            text[i] = static_cast<WCHAR>(row.text[i]);
        char bytes[16];
        int count = WideCharToMultiByte(CP_ACP, 0, text, row.count, bytes, sizeof bytes, nullptr, nullptr);
        EXPECT_EQ(std::string(row.bytes), std::string(bytes, count > 0 ? count : 0)) << "'" << row.bytes << "'";
    }
}

}  // namespace
