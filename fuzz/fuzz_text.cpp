// Fuzz target: UtilStr_CopyMax, UtilStr_Append and the lengths. The input
// gives a size or limit (0 to 1100), a destination text and
// a text to copy or append. Buffers are heap blocks of exactly their size.
#include "fuzz_input.h"
#include "util/util_str.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    unsigned limit = in.Number(1101);
    std::string initial = in.Text();
    std::string text = in.Text();

    // Lengths; LengthMax over a block without a terminator reads no more
    // than its maximum.
    fuzz::Require(UtilStr_Length(text.c_str()) == text.size(), "length to the terminator");
    {
        fuzz::Block unterminated(text.size(), 0);
        memcpy(unterminated.Data(), text.data(), text.size());
        for (unsigned maximum : {0u, 1u, static_cast<unsigned>(limit % (text.size() + 1)), static_cast<unsigned>(text.size())}) {
            unsigned length = UtilStr_LengthMax(unterminated.Data(), maximum);
            fuzz::Require(length <= maximum, "LengthMax within the maximum");
            fuzz::Require(fuzz::OnBoundary(text, length), "LengthMax on a character boundary");
            fuzz::Require(length == text.size() || length + fuzz::BytesNeeded(text, length) > maximum,
                          "LengthMax takes every whole character that fits");
        }
    }

    // CopyMax into exactly limit bytes.
    {
        fuzz::Block destination(limit);
        char* result = UtilStr_CopyMax(destination.Data(), text.c_str(), limit);
        if (limit == 0) {
            fuzz::Require(result == nullptr && destination.Data()[0] == '\x7f', "size 0 writes nothing");
        } else {
            size_t length = destination.TerminatedLength();
            fuzz::Require(result == destination.Data(), "CopyMax returns the destination");
            fuzz::Require(memcmp(destination.Data(), text.data(), length) == 0, "CopyMax copies a prefix");
            fuzz::Require(fuzz::OnBoundary(text, length), "CopyMax cuts between characters");
            fuzz::Require(length == text.size() || length + fuzz::BytesNeeded(text, length) >= limit,
                          "CopyMax stops only when the next character does not fit");
        }
    }

    // Append to initial (cut to fit) in a buffer of exactly limit bytes.
    if (limit > 0) {
        fuzz::Block destination(limit);
        UtilStr_CopyMax(destination.Data(), initial.c_str(), limit);
        const std::string before(destination.Data());
        UtilStr_Append(destination.Data(), text.c_str(), limit);
        size_t length = destination.TerminatedLength();
        if (before.size() + 1 >= limit) {
            fuzz::Require(before == destination.Data(), "Append leaves a full buffer unchanged");
        } else {
            fuzz::Require(length + 2 <= limit, "Append never writes the last byte");
            fuzz::Require(memcmp(destination.Data(), before.data(), before.size()) == 0, "Append keeps the text");
            size_t added = length - before.size();
            fuzz::Require(memcmp(destination.Data() + before.size(), text.data(), added) == 0, "Append adds a prefix");
            fuzz::Require(fuzz::OnBoundary(text, added), "Append cuts between characters");
        }
    }
    return 0;
}
