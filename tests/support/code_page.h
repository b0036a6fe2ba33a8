// Tests whose answer depends on the active ANSI code page. The same test
// program runs once as is (code page 1252) and once under LC_ALL=ja_JP.UTF-8
// (code page 932, double-byte); TOVACON_EXPECT_ACP names the code page that
// run must have, so a misconfigured run fails instead of skipping all.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

namespace test {

// The code page named by TOVACON_EXPECT_ACP, or 0 when it is not set.
inline UINT ExpectedCodePage()
{
    char value[16] = "";
    if (GetEnvironmentVariableA("TOVACON_EXPECT_ACP", value, sizeof value) == 0)
        return 0;
    return static_cast<UINT>(strtoul(value, nullptr, 10));
}

}  // namespace test

// Skips the rest of a test unless the active code page is 932.
#define TOVACON_REQUIRE_CP932()                                                        \
    do {                                                                               \
        if (GetACP() != 932)                                                           \
            GTEST_SKIP() << "needs code page 932 (LC_ALL=ja_JP.UTF-8), have " << GetACP(); \
    } while (0)

// Skips the rest of a test unless the active code page is single-byte 1252.
#define TOVACON_REQUIRE_CP1252()                                                       \
    do {                                                                               \
        if (GetACP() != 1252)                                                          \
            GTEST_SKIP() << "needs code page 1252, have " << GetACP();                 \
    } while (0)
