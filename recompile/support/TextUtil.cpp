#include "support/TextUtil.h"

namespace vdx {

namespace {
char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= 32;
}
} // namespace

std::string ToLowerAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = LowerAscii(c);
    return r;
}

std::string ToUpperAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = UpperAscii(c);
    return r;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && IsTrimmed(s[b]))
        ++b;
    while (e > b && IsTrimmed(s[e - 1]))
        --e;
    return std::string(s.substr(b, e - b));
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start =
            end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    size_t total = 0;
    for (const auto& l : lines)
        total += l.size() + 2;
    out.reserve(total);
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

} // namespace vdx
