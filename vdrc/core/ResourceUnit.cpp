#include "vdrc/core/ResourceUnit.h"

#include "vdrc/core/Failure.h"
#include "vdrc/core/Utf8.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vdx::rc {

namespace {

constexpr std::string_view kHead = ";\r\n"
                                   "\r\n"
                                   "interface\r\n"
                                   "{$I vdx.inc}\r\n"
                                   "implementation\r\n"
                                   "uses vdxRes;\r\n"
                                   "const resXML =\r\n";

constexpr std::string_view kTail = "'';\r\n"
                                   "initialization\r\n"
                                   "    vdxResources.AddXML(Utf8Encode(resXML));\r\n"
                                   "\r\n"
                                   "end.\r\n";

constexpr std::string_view kLineBreak = "'+\r\n";

// A byte that goes into a literal as it is: ASCII other than CR, LF, NUL
// (all below 0x0E) and the apostrophe.
inline bool IsPlain(unsigned char b) {
    return b >= 0x0E && b < 0x80 && b != '\'';
}

// True when all eight bytes at p are plain (bit tricks over one 64-bit word:
// a byte with its high bit set, a byte below 0x0E, a byte equal to the
// apostrophe).
inline bool ArePlain8(const unsigned char* p) {
    constexpr uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    uint64_t w;
    std::memcpy(&w, p, 8);
    const uint64_t below = (w - kOnes * 0x0E) & ~w;
    const uint64_t q = w ^ (kOnes * '\'');
    const uint64_t apostrophe = (q - kOnes) & ~q;
    return ((w | below | apostrophe) & kHighs) == 0;
}

template <typename Char> Char* PutAscii(Char* out, std::string_view text) {
    for (char c : text)
        *out++ = static_cast<Char>(c);
    return out;
}

// One pass over the bytes: decode, drop line breaks, cut, quote and encode.
// Char is char16_t for a UTF-16 unit and char for a UTF-8 unit; either way the
// cut is counted in UTF-16 code units.
template <typename Char>
void BuildUnit(std::basic_string_view<Char> unitName, std::string_view bytes, UnitSink<Char>& sink,
               size_t pieceSize) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    if (end - p >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        p += 3;

    // Room beyond a full piece: one step of the loop below writes at most a
    // line's run of ASCII, a line break, an apostrophe and one character (four
    // UTF-8 bytes) with its doubled apostrophe; the head and the end each fit
    // as well.
    constexpr size_t kSlack = 128;
    static_assert(kChunkLength + kLineBreak.size() + 1 + 4 + 1 <= kSlack &&
                  kHead.size() <= kSlack && kLineBreak.size() + kTail.size() <= kSlack);
    // The text of the literals takes at most three code units per byte (an
    // apostrophe two, plus the line ends): a small input needs no full piece.
    const size_t room = std::max<size_t>(1, std::min(pieceSize, 3 * bytes.size() + 8));
    std::basic_string<Char> piece(room + kSlack, Char());
    Char* const begin = piece.data();
    Char* const full = begin + room;
    Char* out = PutAscii(begin, "unit ");
    sink.Write(std::basic_string_view<Char>(begin, static_cast<size_t>(out - begin)));
    sink.Write(unitName);
    out = PutAscii(begin, kHead);

    size_t used = kChunkLength; // code units on the current line; none open yet
    bool open = false;
    while (p < end) {
        if (out >= full) {
            sink.Write(std::basic_string_view<Char>(begin, static_cast<size_t>(out - begin)));
            out = begin;
        }
        // A run of plain ASCII up to the end of the line.
        if (open && used < kChunkLength) {
            const auto* stop = p + std::min<size_t>(kChunkLength - used, end - p);
            const auto* from = p;
            while (stop - p >= 8 && ArePlain8(p)) {
                for (int i = 0; i < 8; ++i)
                    out[i] = static_cast<Char>(p[i]);
                out += 8;
                p += 8;
            }
            while (p < stop && IsPlain(*p))
                *out++ = static_cast<Char>(*p++);
            used += static_cast<size_t>(p - from);
            if (p == end)
                break;
        }
        const unsigned char b = *p;
        const auto* start = p;
        char32_t cp = b;
        if (b < 0x80) {
            ++p;
            if (b == '\r' || b == '\n')
                continue;
            if (b == 0) {
                const std::string_view rest(reinterpret_cast<const char*>(p),
                                            static_cast<size_t>(end - p));
                if (!IsUtf8(rest))
                    throw Failure::NoMapping();
                break;
            }
        } else if (!DecodeUtf8Step(p, end, cp)) {
            throw Failure::NoMapping();
        }
        const size_t units = cp >= 0x10000 ? 2 : 1;
        if (used + units > kChunkLength) {
            if (open)
                out = PutAscii(out, kLineBreak);
            *out++ = '\'';
            open = true;
            used = 0;
        }
        used += units;
        if constexpr (sizeof(Char) == 1) {
            out = std::copy(start, p, out);
        } else {
            out = PutUtf16(out, cp);
        }
        if (cp == '\'')
            *out++ = '\'';
    }
    if (out >= full) {
        sink.Write(std::basic_string_view<Char>(begin, static_cast<size_t>(out - begin)));
        out = begin;
    }
    if (open)
        out = PutAscii(out, kLineBreak);
    out = PutAscii(out, kTail);
    sink.Write(std::basic_string_view<Char>(begin, static_cast<size_t>(out - begin)));
}

// Collects the pieces in one string.
template <typename Char> class StringSink : public UnitSink<Char> {
public:
    void Write(std::basic_string_view<Char> piece) override { text.append(piece); }
    std::basic_string<Char> text;
};

} // namespace

std::u16string UnitNameOf(std::u16string_view path) {
    const size_t sep = path.find_last_of(u"\\/:");
    std::u16string_view name = sep == std::u16string_view::npos ? path : path.substr(sep + 1);
    const size_t dot = name.rfind(u'.');
    if (dot != std::u16string_view::npos)
        name = name.substr(0, dot);
    return std::u16string(name);
}

void ConvertResource(std::u16string_view unitName, std::string_view bytes, UnitSink<char16_t>& sink,
                     size_t pieceSize) {
    BuildUnit<char16_t>(unitName, bytes, sink, pieceSize);
}

void ConvertResourceUtf8(std::u16string_view unitName, std::string_view bytes, UnitSink<char>& sink,
                         size_t pieceSize) {
    const std::string name = Utf8Encode(unitName);
    BuildUnit<char>(name, bytes, sink, pieceSize);
}

std::u16string ConvertResource(std::u16string_view unitName, std::string_view bytes) {
    StringSink<char16_t> sink;
    sink.text.reserve(bytes.size() + bytes.size() / 16 + 256);
    ConvertResource(unitName, bytes, sink);
    return std::move(sink.text);
}

std::string ConvertResourceUtf8(std::u16string_view unitName, std::string_view bytes) {
    StringSink<char> sink;
    sink.text.reserve(bytes.size() + bytes.size() / 16 + 256);
    ConvertResourceUtf8(unitName, bytes, sink);
    return std::move(sink.text);
}

} // namespace vdx::rc
