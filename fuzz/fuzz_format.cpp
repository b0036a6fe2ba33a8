// Fuzz target: the formatter. The input gives the buffer
// size (0 to 1100), a format and the material for up to 16 arguments, typed
// as the format's directives take them (the formatter's callers must pass
// valid pointers). Checked: nothing written past the buffer (sanitizer),
// the terminator inside it at the returned count, no pair split.
#include <memory>

#include "fuzz_input.h"
#include "util/util_format.h"

namespace {

const int kSlots = 16;

struct Arguments {
    uintptr_t slots[kSlots] = {};
    std::vector<std::unique_ptr<std::string>> texts;
    std::vector<std::unique_ptr<std::u16string>> wideTexts;
    std::vector<std::unique_ptr<char[]>> counted;
    std::vector<std::unique_ptr<WCHAR[]>> countedWide;
    std::vector<std::unique_ptr<UtilCountedText>> records;
    std::vector<std::unique_ptr<UtilCountedWideText>> wideRecords;
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Walks the format as the formatter parses it; gives each argument-taking
// directive a slot filled from the input. Cuts the format before a
// directive that would need a 17th slot.
void PrepareArguments(std::string& format, fuzz::Input& in, Arguments& args)
{
    int used = 0;
    size_t p = 0;
    while (p < format.size()) {
        if (format[p] != '%') {
            p += fuzz::CharBytes(format, p);
            continue;
        }
        size_t start = p++;
        if (p < format.size() && format[p] == '-')
            ++p;
        if (p < format.size() && format[p] == '0')
            ++p;
        while (p < format.size() && IsDigit(format[p]))
            ++p;
        if (p < format.size() && format[p] == '.') {
            ++p;
            while (p < format.size() && IsDigit(format[p]))
                ++p;
        }
        if (p < format.size() && format[p] == 'l')
            ++p;
        if (p < format.size() && format[p] == 'h')
            ++p;
        if (p >= format.size())
            return;
        char conversion = format[p];
        p += fuzz::CharBytes(format, p);
        if (strchr("cCdiuxXsSzZ", conversion) == nullptr || conversion == '\0')
            continue;
        if (used == kSlots) {
            format.resize(start);
            return;
        }
        uintptr_t& slot = args.slots[used++];
        uint8_t length = in.Byte();
        switch (conversion) {
        case 's':
            if (length == 255) {
                slot = 0;  // a null text
            } else {
                args.texts.push_back(std::make_unique<std::string>(fuzz::WellFormed(in.Bytes(length * 4u))));
                slot = reinterpret_cast<uintptr_t>(args.texts.back()->c_str());
            }
            break;
        case 'S': {
            if (length == 255) {
                slot = 0;
                break;
            }
            auto wide = std::make_unique<std::u16string>();
            for (unsigned i = 0; i < length; ++i) {
                char16_t c = static_cast<char16_t>(in.Byte() | (in.Byte() << 8));
                wide->push_back(c == 0 ? u'w' : c);
            }
            slot = reinterpret_cast<uintptr_t>(wide->c_str());
            args.wideTexts.push_back(std::move(wide));
            break;
        }
        case 'z': {
            // Exactly Length bytes, not terminated: reading past them is caught.
            std::string text = fuzz::WellFormed(in.Bytes(length));
            auto record = std::make_unique<UtilCountedText>();
            record->Length = static_cast<USHORT>(text.size());
            record->MaximumLength = record->Length;
            if (in.Byte() == 0xFF) {
                record->Buffer = nullptr;
            } else {
                args.counted.push_back(std::unique_ptr<char[]>(new char[text.size() ? text.size() : 1]));
                memcpy(args.counted.back().get(), text.data(), text.size());
                record->Buffer = args.counted.back().get();
            }
            slot = reinterpret_cast<uintptr_t>(record.get());
            args.records.push_back(std::move(record));
            break;
        }
        case 'Z': {
            auto record = std::make_unique<UtilCountedWideText>();
            args.countedWide.push_back(std::unique_ptr<WCHAR[]>(new WCHAR[length ? length : 1]));
            for (unsigned i = 0; i < length; ++i)
                args.countedWide.back()[i] = static_cast<WCHAR>(in.Byte() | (in.Byte() << 8));
            // An odd byte Length is allowed; Length / 2 characters are read.
            record->Length = static_cast<USHORT>(length * 2u + (in.Byte() & 1));
            if (record->Length / 2u > length)
                record->Length = static_cast<USHORT>(length * 2u);
            record->MaximumLength = record->Length;
            record->Buffer = args.countedWide.back().get();
            slot = reinterpret_cast<uintptr_t>(record.get());
            args.wideRecords.push_back(std::move(record));
            break;
        }
        case 'c':
        case 'C': {
            uint32_t value = in.Word();
            if (IsDBCSLeadByte(static_cast<BYTE>(value & 0xFF)))
                value = 'c';  // a lone lead byte would be a broken text of the caller's
            slot = value;
            break;
        }
        default:
            slot = in.Word();
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    unsigned bufferSize = in.Number(1101);
    std::string format = fuzz::WellFormed(in.Text());
    Arguments args;
    PrepareArguments(format, in, args);

    fuzz::Block buffer(bufferSize);
    const uintptr_t* s = args.slots;
    // Every slot is passed as a full register or stack slot; the formatter
    // reads each as the type its directive names.
    int count = UtilStr_Format(buffer.Data(), bufferSize, format.c_str(), s[0], s[1], s[2], s[3], s[4], s[5], s[6],
                               s[7], s[8], s[9], s[10], s[11], s[12], s[13], s[14], s[15]);
    if (bufferSize == 0) {
        fuzz::Require(count == 0, "size 0 returns 0");
        fuzz::Require(buffer.Data()[0] == '\x7f', "size 0 writes nothing");
        return 0;
    }
    size_t length = buffer.TerminatedLength();
    fuzz::Require(count >= 0 && static_cast<size_t>(count) == length, "count equals the bytes before the terminator");
    fuzz::Require(length < bufferSize, "room for the terminator");
    fuzz::Require(fuzz::EndsWhole(buffer.Data(), length), "no pair split");
    return 0;
}
