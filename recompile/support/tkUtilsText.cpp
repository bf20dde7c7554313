// The text-only part of the file utilities: list splitting, folder paths and
// file-name masks. No file system here, so it is tested natively as well.

#include "support/TextUtil.h"
#include "support/tkUtils.h"

#include <string>

namespace vdx {

void SplitText(std::string_view text, char separator, std::vector<std::string>& list) {
    list.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string_view::npos)
            end = text.size();
        list.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string DirWithDelimiter(std::string_view path) {
    if (path.empty())
        return {};
    const char last = path.back();
    if (last == ':' || last == '\\')
        return std::string(path);
    if (path.size() == 1 && ((last >= 'A' && last <= 'Z') || (last >= 'a' && last <= 'z')))
        return std::string(path) + ":\\";
    return std::string(path) + '\\';
}

std::vector<std::string> SplitMaskList(std::string_view masks) {
    std::vector<std::string> list;
    SplitText(Trim(masks), ' ', list);
    return list;
}

namespace {

// Decodes UTF-8 into code points. A byte that does not start a well-formed
// sequence stands for itself (as U+DC80..U+DCFF, which no valid sequence
// yields), so every input has one reading and '?' matches one character.
std::u32string DecodeUtf8(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        int extra = 0;
        char32_t cp = 0, min = 0;
        if (b < 0x80) {
            out += static_cast<char32_t>(b);
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, cp = b & 0x1F, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, cp = b & 0x0F, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, cp = b & 0x07, min = 0x10000;
        } else {
            extra = -1;
        }
        bool ok = extra > 0 && i + static_cast<size_t>(extra) < s.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const unsigned char c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (c & 0x3F);
        }
        if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            ok = false;
        if (ok) {
            out += cp;
            i += static_cast<size_t>(extra) + 1;
        } else {
            out += static_cast<char32_t>(0xDC00 + b);
            ++i;
        }
    }
    return out;
}

// Upper-case form for comparisons without regard to case, in the manner of
// the file system: ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and the
// full-width Latin letters. Letters outside these blocks compare exactly.
char32_t FoldCase(char32_t c) {
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x100 && c <= 0x137 && c != 0x130 && c != 0x131)
        return c & ~char32_t(1);
    if (c >= 0x139 && c <= 0x148)
        return (c & 1) ? c : c - 1;
    if (c >= 0x14A && c <= 0x177)
        return c & ~char32_t(1);
    if (c >= 0x179 && c <= 0x17E)
        return (c & 1) ? c : c - 1;
    if (c == 0x3AC)
        return 0x386;
    if (c >= 0x3AD && c <= 0x3AF)
        return c - 0x25;
    if (c == 0x3C2)
        return 0x3A3;
    if ((c >= 0x3B1 && c <= 0x3C1) || (c >= 0x3C3 && c <= 0x3CB))
        return c - 0x20;
    if (c == 0x3CC)
        return 0x38C;
    if (c == 0x3CD || c == 0x3CE)
        return c - 0x3F;
    if (c >= 0x430 && c <= 0x44F)
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x4FF))
        return c & ~char32_t(1);
    if (c >= 0xFF41 && c <= 0xFF5A)
        return c - 0x20;
    return c;
}

std::u32string Folded(std::string_view s) {
    std::u32string r = DecodeUtf8(s);
    for (char32_t& c : r)
        c = FoldCase(c);
    return r;
}

// "*" and "?" matching in linear passes: on a mismatch only the latest "*"
// takes one more character, which finds a match whenever one exists, so masks
// such as "*a*a*a*a*b" cost at most name length times mask length steps.
bool Wildcard(const std::u32string& name, std::u32string_view mask) {
    constexpr size_t none = static_cast<size_t>(-1);
    size_t n = 0, m = 0, starMask = none, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == U'*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && (mask[m] == U'?' || mask[m] == name[n])) {
            ++m;
            ++n;
        } else if (starMask != none) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == U'*')
        ++m;
    return m == mask.size();
}

} // namespace

bool MatchesMask(std::string_view name, std::string_view mask) {
    if (mask.empty() || name.empty())
        return false;
    const std::u32string n = Folded(name);
    const std::u32string m = Folded(mask);
    if (Wildcard(n, m))
        return true;
    // As the Windows file search does, a final ".*" also matches the end of a
    // name without that dot: "*.*" matches "README", "vdx.*" matches "vdx".
    size_t end = m.size();
    while (end > 0 && m[end - 1] == U'*')
        --end;
    if (end < m.size() && end > 0 && m[end - 1] == U'.')
        return Wildcard(n, std::u32string_view(m).substr(0, end - 1));
    return false;
}

} // namespace vdx
