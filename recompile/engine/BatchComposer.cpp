#include "engine/BatchComposer.h"

namespace vdx {

namespace {

bool IsOperator(char c) {
    return c == '&' || c == '|' || c == '<' || c == '>' || c == '^';
}

// "%" doubled: in a batch file "%%" stands for one percent sign.
std::string DoublePercent(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '%')
            out += '%';
    }
    return out;
}

// Backslashes directly before the closing quote doubled (C runtime rule:
// 2n backslashes and a quote give n backslashes and end the quoted part).
std::string DoubleTrailingBackslashes(std::string_view text) {
    size_t n = 0;
    while (n < text.size() && text[text.size() - 1 - n] == '\\')
        ++n;
    return std::string(text) + std::string(n, '\\');
}

} // namespace

bool AsciiOnly(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

std::string CleanPathText(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path)
        if (c != '"' && static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            out += c;
    return out;
}

BatchComposer::BatchComposer(FitsConsole fits, std::string varPrefix)
    : fits_(fits ? std::move(fits) : FitsConsole(AsciiOnly)), prefix_(std::move(varPrefix)) {}

std::string BatchComposer::ViaVariable(const std::string& value) {
    auto it = byValue_.find(value);
    if (it != byValue_.end())
        return "%" + it->second + "%";
    std::string name = prefix_ + std::to_string(env_.size() + 1);
    env_.push_back({name, value});
    byValue_.emplace(value, name);
    return "%" + name + "%";
}

std::string BatchComposer::Plain(std::string_view text) {
    std::string clean = CleanPathText(text);
    if (!fits_(clean))
        return QuotedArg(clean);
    std::string out;
    out.reserve(clean.size());
    for (char c : clean) {
        if (c == '%')
            out += "%%";
        else if (IsOperator(c))
            out += {'^', c};
        else
            out += c;
    }
    return out;
}

std::string BatchComposer::Quoted(std::string_view path) {
    std::string clean = CleanPathText(path);
    if (!fits_(clean))
        return "\"" + ViaVariable(clean) + "\"";
    return "\"" + DoublePercent(clean) + "\"";
}

std::string BatchComposer::QuotedArg(std::string_view path) {
    std::string clean = DoubleTrailingBackslashes(CleanPathText(path));
    if (!fits_(clean))
        return "\"" + ViaVariable(clean) + "\"";
    return "\"" + DoublePercent(clean) + "\"";
}

std::string BatchComposer::Arg(std::string_view text) {
    std::string clean = CleanPathText(text);
    bool needsQuotes = clean.empty() || !fits_(clean);
    for (char c : clean)
        if (c == ' ' || c == '\t' || c == '(' || c == ')' || IsOperator(c))
            needsQuotes = true;
    return needsQuotes ? QuotedArg(clean) : Plain(clean);
}

} // namespace vdx
