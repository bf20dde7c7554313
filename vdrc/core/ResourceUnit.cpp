#include "vdrc/core/ResourceUnit.h"

#include "vdrc/core/Failure.h"
#include "vdrc/core/Utf8.h"

#include <algorithm>

namespace vdx::rc {

namespace {

constexpr std::u16string_view kHead = u";\r\n"
                                      u"\r\n"
                                      u"interface\r\n"
                                      u"{$I vdx.inc}\r\n"
                                      u"implementation\r\n"
                                      u"uses vdxRes;\r\n"
                                      u"const resXML =\r\n";

constexpr std::u16string_view kTail = u"'';\r\n"
                                      u"initialization\r\n"
                                      u"    vdxResources.AddXML(Utf8Encode(resXML));\r\n"
                                      u"\r\n"
                                      u"end.\r\n";

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

std::u16string UnitNameOf(std::u16string_view path) {
    const size_t sep = path.find_last_of(u"\\/:");
    std::u16string_view name = sep == std::u16string_view::npos ? path : path.substr(sep + 1);
    const size_t dot = name.rfind(u'.');
    if (dot != std::u16string_view::npos)
        name = name.substr(0, dot);
    return std::u16string(name);
}

std::u16string XmlText(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    if (end - p >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        p += 3;
    // Never more UTF-16 code units than UTF-8 bytes.
    std::u16string text(static_cast<size_t>(end - p), u'\0');
    char16_t* out = text.data();
    while (p < end) {
        const unsigned char b = *p;
        if (b >= 0x80) {
            char32_t cp;
            if (!DecodeUtf8Step(p, end, cp))
                throw Failure::NoMapping();
            out = PutUtf16(out, cp);
            continue;
        }
        ++p;
        if (b == '\r' || b == '\n')
            continue;
        if (b == 0) {
            // The text ends here; the rest must still be UTF-8.
            char32_t cp;
            while (p < end)
                if (!DecodeUtf8Step(p, end, cp))
                    throw Failure::NoMapping();
            break;
        }
        *out++ = b;
    }
    text.resize(static_cast<size_t>(out - text.data()));
    return text;
}

std::u16string ResourceUnit(std::u16string_view unitName, std::u16string_view xmlText) {
    const size_t n = xmlText.size();
    const size_t apostrophes =
        static_cast<size_t>(std::count(xmlText.begin(), xmlText.end(), u'\''));
    // At most one line per kChunkLength - 1 code units (a line shortened for a
    // surrogate pair); each adds two apostrophes, "+", CR and LF.
    const size_t maxLines = n / (kChunkLength - 1) + 1;
    std::u16string unit;
    unit.reserve(5 + unitName.size() + kHead.size() + n + apostrophes + maxLines * 5 +
                 kTail.size());
    unit += u"unit ";
    unit += unitName;
    unit += kHead;

    size_t pos = 0;
    while (pos < n) {
        size_t cut = std::min(pos + kChunkLength, n);
        if (cut < n && IsHighSurrogate(xmlText[cut - 1]) && IsLowSurrogate(xmlText[cut]))
            --cut;
        unit += u'\'';
        std::u16string_view chunk = xmlText.substr(pos, cut - pos);
        for (size_t q; (q = chunk.find(u'\'')) != std::u16string_view::npos;) {
            unit.append(chunk.substr(0, q + 1));
            unit += u'\'';
            chunk.remove_prefix(q + 1);
        }
        unit.append(chunk);
        unit += u"'+\r\n";
        pos = cut;
    }
    unit += kTail;
    return unit;
}

std::u16string ConvertResource(std::u16string_view unitName, std::string_view bytes) {
    return ResourceUnit(unitName, XmlText(bytes));
}

} // namespace vdx::rc
