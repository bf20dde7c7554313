#include "vdrc/core/Utf8.h"

#include "vdrc/core/Failure.h"

#include <cstdint>
#include <cstring>

namespace vdx::rc {

bool IsUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        // Eight ASCII bytes at a time.
        while (end - p >= 8) {
            uint64_t w;
            std::memcpy(&w, p, 8);
            if (w & 0x8080808080808080u)
                break;
            p += 8;
        }
        if (p == end)
            break;
        char32_t cp;
        if (!DecodeUtf8Step(p, end, cp))
            return false;
    }
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
