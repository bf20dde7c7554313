// Any bytes give either the invalid-UTF-8 error or a well-formed unit whose
// literals, joined and with their doubled apostrophes undone, hold exactly the
// input's text without line breaks.
//
// Both forms of the unit (UTF-16 and UTF-8) must agree.
//
// The expected text is found without the converter's decoder: for well-formed
// UTF-8 the literals, written back as UTF-8, must equal the input bytes minus
// a leading byte-order mark, every CR and LF, and everything from the first
// NUL on.

#include "vdrc/core/Failure.h"
#include "vdrc/core/ResourceUnit.h"
#include "vdrc/core/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

// Well-formed UTF-8 after the Unicode standard's table of byte sequences.
bool WellFormed(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    while (p < end) {
        const unsigned b = *p;
        int more;
        unsigned lo = 0x80, hi = 0xBF;
        if (b < 0x80)
            more = 0;
        else if (b >= 0xC2 && b <= 0xDF)
            more = 1;
        else if (b == 0xE0)
            more = 2, lo = 0xA0;
        else if (b == 0xED)
            more = 2, hi = 0x9F;
        else if (b >= 0xE1 && b <= 0xEF)
            more = 2;
        else if (b == 0xF0)
            more = 3, lo = 0x90;
        else if (b == 0xF4)
            more = 3, hi = 0x8F;
        else if (b >= 0xF1 && b <= 0xF3)
            more = 3;
        else
            return false;
        if (end - p <= more)
            return false;
        for (int i = 1; i <= more; ++i) {
            const unsigned c = p[i];
            if (c < (i == 1 ? lo : 0x80) || c > (i == 1 ? hi : 0xBF))
                return false;
        }
        p += more + 1;
    }
    return true;
}

// UTF-16 to UTF-8; any unpaired surrogate fails the check.
std::string ToUtf8(std::u16string_view t) {
    std::string out;
    for (size_t i = 0; i < t.size(); ++i) {
        uint32_t c = t[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            Check(i + 1 < t.size() && t[i + 1] >= 0xDC00 && t[i + 1] <= 0xDFFF);
            c = 0x10000 + ((c - 0xD800) << 10) + (t[++i] - 0xDC00);
        } else {
            Check(c < 0xDC00 || c > 0xDFFF);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Takes the next CR LF-terminated line off unit.
std::u16string_view NextLine(std::u16string_view& unit) {
    const size_t eol = unit.find(u"\r\n");
    Check(eol != std::u16string_view::npos);
    std::u16string_view line = unit.substr(0, eol);
    unit.remove_prefix(eol + 2);
    return line;
}

bool IsHigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// Joins the pieces of a unit; no piece may end in the middle of a pair.
template <typename Char> class Joiner : public vdx::rc::UnitSink<Char> {
public:
    void Write(std::basic_string_view<Char> piece) override {
        if constexpr (sizeof(Char) == 2)
            Check(piece.empty() || !IsHigh(piece.back()));
        text += piece;
    }
    std::basic_string<Char> text;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string_view body = bytes;
    if (body.substr(0, 3) == "\xEF\xBB\xBF")
        body.remove_prefix(3);

    Check(vdx::rc::IsUtf8(bytes) == WellFormed(bytes));

    std::u16string unitText;
    try {
        unitText = vdx::rc::ConvertResource(u"Fuzz", bytes);
    } catch (const vdx::rc::Failure& e) {
        Check(e.TypeName() == "EEncodingError");
        Check(!WellFormed(body));
        try {
            vdx::rc::ConvertResourceUtf8(u"Fuzz", bytes);
            Check(false);
        } catch (const vdx::rc::Failure& e8) {
            Check(e8.TypeName() == "EEncodingError");
        }
        return 0;
    }
    Check(WellFormed(body));
    // The UTF-8 form of the unit is the same text, and so are both forms
    // handed over in small pieces.
    const std::string unitUtf8 = vdx::rc::ConvertResourceUtf8(u"Fuzz", bytes);
    Check(unitUtf8 == ToUtf8(unitText));
    const size_t pieceSize = 1 + size % 97;
    Joiner<char16_t> pieces16;
    vdx::rc::ConvertResource(u"Fuzz", bytes, pieces16, pieceSize);
    Check(pieces16.text == unitText);
    Joiner<char> pieces8;
    vdx::rc::ConvertResourceUtf8(u"Fuzz", bytes, pieces8, pieceSize);
    Check(pieces8.text == unitUtf8);

    std::u16string_view unit = unitText;
    for (std::u16string_view head : {u"unit Fuzz;", u"", u"interface", u"{$I vdx.inc}",
                                     u"implementation", u"uses vdxRes;", u"const resXML ="})
        Check(NextLine(unit) == head);

    // Literal lines up to the "'';" line: each holds 1 to 80 code units,
    // 80 unless it is the last or the next one starts with a surrogate pair
    // that would otherwise have been parted.
    std::u16string joined;
    size_t previousLength = 0;
    for (std::u16string_view line = NextLine(unit); line != u"'';"; line = NextLine(unit)) {
        Check(previousLength == 0 || previousLength == vdx::rc::kChunkLength);
        Check(line.size() >= 4 && line.front() == u'\'' && line.substr(line.size() - 2) == u"'+");
        const std::u16string_view quoted = line.substr(1, line.size() - 3);
        std::u16string chunk;
        for (size_t i = 0; i < quoted.size(); ++i) {
            if (quoted[i] == u'\'') {
                Check(i + 1 < quoted.size() && quoted[i + 1] == u'\'');
                ++i;
            }
            chunk += quoted[i];
        }
        Check(!chunk.empty() && chunk.size() <= vdx::rc::kChunkLength);
        Check(!IsHigh(chunk.back()));
        if (chunk.size() == vdx::rc::kChunkLength - 1 && unit.size() > 1 && IsHigh(unit[1]))
            previousLength = vdx::rc::kChunkLength; // shortened for the pair
        else
            previousLength = chunk.size();
        joined += chunk;
    }
    for (std::u16string_view tail :
         {u"initialization", u"    vdxResources.AddXML(Utf8Encode(resXML));", u"", u"end."})
        Check(NextLine(unit) == tail);
    Check(unit.empty());

    std::string expected;
    for (char c : body) {
        if (c == '\0')
            break;
        if (c != '\r' && c != '\n')
            expected += c;
    }
    Check(ToUtf8(joined) == expected);
    return 0;
}
