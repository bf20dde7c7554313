#include "vdrc/core/Utf8.h"

#include "vdrc/core/Failure.h"

namespace vdx::rc {

bool DecodeUtf8Step(const unsigned char*& p, const unsigned char* end, char32_t& cp) {
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

std::u16string Utf8Decode(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    // Never more UTF-16 code units than UTF-8 bytes.
    std::u16string text(bytes.size(), u'\0');
    char16_t* out = text.data();
    while (p < end) {
        char32_t cp;
        if (!DecodeUtf8Step(p, end, cp))
            throw Failure::NoMapping();
        out = PutUtf16(out, cp);
    }
    text.resize(static_cast<size_t>(out - text.data()));
    return text;
}

std::string Utf8Encode(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        char32_t cp = text[i];
        if (cp < 0x80) {
            bytes.push_back(static_cast<char>(cp));
            continue;
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            if (cp <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                ++i;
            } else {
                cp = 0xFFFD;
            }
        }
        if (cp < 0x800) {
            bytes.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        } else if (cp < 0x10000) {
            bytes.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            bytes.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        } else {
            bytes.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            bytes.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        }
        bytes.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    return bytes;
}

} // namespace vdx::rc
