// Holds the stand-in platform functions to the table that the real ones are
// held to under Wine (tests/platform_text_test.cpp). Exit status 0 when
// every row holds.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform_text_cases.h"
#include "windows.h"

int main()
{
    int failures = 0;
    auto fail = [&](const char* what, unsigned codePage, const std::string& detail) {
        fprintf(stderr, "shim differs from the platform: %s, code page %u: %s\n", what, codePage, detail.c_str());
        ++failures;
    };
    const UINT codePages[] = {932, 1252};
    for (UINT codePage : codePages) {
        Shim_SetCodePage(codePage);
        for (unsigned byte = 0; byte < 256; ++byte)
            if (platform_text::ExpectLead(codePage, static_cast<unsigned char>(byte)) != (IsDBCSLeadByte(static_cast<BYTE>(byte)) != 0))
                fail("IsDBCSLeadByte", codePage, std::to_string(byte));
        for (const auto& row : platform_text::kSteps) {
            if (row.codePage != codePage)
                continue;
            if (static_cast<unsigned>(CharNextA(row.text + row.at) - row.text) != row.next)
                fail("CharNextA", codePage, std::string(row.text) + " at " + std::to_string(row.at));
            if (static_cast<unsigned>(CharPrevA(row.text, row.text + row.at) - row.text) != row.prev)
                fail("CharPrevA", codePage, std::string(row.text) + " at " + std::to_string(row.at));
        }
        for (const auto& row : platform_text::kUppers) {
            if (row.codePage != codePage)
                continue;
            std::string text = row.text;
            CharUpperA(&text[0]);
            if (text != row.upper)
                fail("CharUpperA", codePage, row.text);
        }
        for (const auto& row : platform_text::kWides) {
            if (row.codePage != codePage)
                continue;
            WCHAR text[4];
            for (int i = 0; i < 4; ++i)
                text[i] = static_cast<WCHAR>(row.text[i]);
            char bytes[16];
            int count = WideCharToMultiByte(CP_ACP, 0, text, row.count, bytes, sizeof bytes, nullptr, nullptr);
            if (std::string(bytes, count > 0 ? count : 0) != row.bytes)
                fail("WideCharToMultiByte", codePage, row.bytes);
        }
    }
    if (failures == 0)
        printf("shim matches the platform table\n");
    return failures == 0 ? 0 : 1;
}
