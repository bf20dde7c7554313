#pragma once
// UTF-8 <-> UTF-16 for the converter: a strict decoder (the well-formed byte
// sequences of the Unicode standard and nothing else) and an encoder.

#include <string>
#include <string_view>

namespace vdx::rc {

// Decodes one well-formed UTF-8 sequence at p (p < end). On success stores the
// code point, advances p past the sequence and returns true; on an ill-formed
// or truncated sequence returns false and leaves p alone.
inline bool DecodeUtf8Step(const unsigned char*& p, const unsigned char* end, char32_t& cp) {
    const unsigned char b0 = p[0];
    if (b0 < 0x80) {
        cp = b0;
        ++p;
        return true;
    }
    // Lead byte: number of continuation bytes and the allowed range of the
    // first one (this excludes overlong forms, surrogates and values above
    // U+10FFFF).
    int more = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        more = 1;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        more = 2;
        cp = b0 & 0x0F;
        if (b0 == 0xE0)
            lo = 0xA0;
        else if (b0 == 0xED)
            hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        more = 3;
        cp = b0 & 0x07;
        if (b0 == 0xF0)
            lo = 0x90;
        else if (b0 == 0xF4)
            hi = 0x8F;
    } else {
        return false;
    }
    if (end - p <= more)
        return false;
    const unsigned char b1 = p[1];
    if (b1 < lo || b1 > hi)
        return false;
    cp = (cp << 6) | (b1 & 0x3F);
    for (int i = 2; i <= more; ++i) {
        const unsigned char b = p[i];
        if (b < 0x80 || b > 0xBF)
            return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    p += more + 1;
    return true;
}

// Appends cp (at most U+10FFFF) as one or two UTF-16 code units at out and
// returns the position after them.
inline char16_t* PutUtf16(char16_t* out, char32_t cp) {
    if (cp < 0x10000) {
        *out++ = static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
        *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
    return out;
}

// True when all of bytes are well-formed UTF-8.
bool IsUtf8(std::string_view bytes);

// The whole of bytes decoded; throws Failure::NoMapping() on ill-formed input.
std::u16string Utf8Decode(std::string_view bytes);

// UTF-16 to UTF-8. An unpaired surrogate (possible only in text that did not
// come from UTF-8, such as a command-line argument) becomes U+FFFD.
std::string Utf8Encode(std::u16string_view text);

} // namespace vdx::rc
