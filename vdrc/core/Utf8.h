#pragma once
// UTF-8 <-> UTF-16 for the converter: a strict decoder (the well-formed byte
// sequences of the Unicode standard and nothing else) and an encoder.

#include <string>
#include <string_view>

namespace vdx::rc {

// Decodes one well-formed UTF-8 sequence at p (p < end). On success stores the
// code point, advances p past the sequence and returns true; on an ill-formed
// or truncated sequence returns false and leaves p alone.
bool DecodeUtf8Step(const unsigned char*& p, const unsigned char* end, char32_t& cp);

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

// The whole of bytes decoded; throws Failure::NoMapping() on ill-formed input.
std::u16string Utf8Decode(std::string_view bytes);

// UTF-16 to UTF-8. An unpaired surrogate (possible only in text that did not
// come from UTF-8, such as a command-line argument) becomes U+FFFD.
std::string Utf8Encode(std::u16string_view text);

} // namespace vdx::rc
