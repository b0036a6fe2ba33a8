// Reading fuzz inputs and checking the invariants every text routine keeps.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "windows.h"

namespace fuzz {

// Consumes the input from the front; runs dry into zeros.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
    unsigned Number(unsigned below)
    {
        unsigned value = Byte();
        value |= static_cast<unsigned>(Byte()) << 8;
        return value % below;
    }
    uint32_t Word()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<uint32_t>(Byte()) << (8 * i);
        return value;
    }
    // Bytes up to the next zero byte (or the end), without it.
    std::string Text()
    {
        std::string text;
        while (position_ < size_ && data_[position_] != 0)
            text += static_cast<char>(data_[position_++]);
        if (position_ < size_)
            ++position_;
        return text;
    }
    std::string Bytes(size_t count)
    {
        std::string bytes;
        while (count-- > 0 && position_ < size_)
            bytes += static_cast<char>(data_[position_++]);
        return bytes;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

[[noreturn]] inline void Fail(const char* what)
{
    fprintf(stderr, "invariant broken: %s\n", what);
    abort();
}

inline void Require(bool condition, const char* what)
{
    if (!condition)
        Fail(what);
}

// Bytes of the character at text[i] of a text of length bytes.
inline size_t CharBytes(const std::string& text, size_t i)
{
    return IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

// Bytes a bounded routine must have room for before it takes the character
// at text[i]: two for any lead byte, as it may not look past its bound.
inline size_t BytesNeeded(const std::string& text, size_t i)
{
    return IsDBCSLeadByte(static_cast<BYTE>(text[i])) ? 2 : 1;
}

// Makes text well formed: no zero bytes, no lead byte without a trail byte.
inline std::string WellFormed(std::string text)
{
    for (char& c : text)
        if (c == '\0')
            c = 'x';
    if (!text.empty()) {
        size_t i = 0;
        while (i < text.size()) {
            if (IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 == text.size())
                text[i] = 'x';
            i += CharBytes(text, i);
        }
    }
    return text;
}

// True when length falls between whole characters of text.
inline bool OnBoundary(const std::string& text, size_t length)
{
    size_t i = 0;
    while (i < length)
        i += CharBytes(text, i);
    return i == length;
}

// True when text (well-formed pieces put together) ends with a whole character.
inline bool EndsWhole(const char* text, size_t length)
{
    size_t i = 0;
    while (i < length)
        i += IsDBCSLeadByte(static_cast<BYTE>(text[i])) ? 2 : 1;
    return i == length;
}

// A heap block of exactly size bytes (at least one byte of room for the
// allocation), so that the sanitizer catches any access past it.
class Block {
public:
    explicit Block(size_t size, char fill = '\x7f') : size_(size), bytes_(static_cast<char*>(malloc(size ? size : 1)))
    {
        memset(bytes_, fill, size ? size : 1);
    }
    ~Block() { free(bytes_); }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    char* Data() { return bytes_; }
    size_t Size() const { return size_; }
    // Length up to the terminator, which must lie inside the block.
    size_t TerminatedLength() const
    {
        const void* end = memchr(bytes_, 0, size_);
        Require(end != nullptr, "terminator inside the buffer");
        return static_cast<size_t>(static_cast<const char*>(end) - bytes_);
    }

private:
    size_t size_;
    char* bytes_;
};

}  // namespace fuzz
