#include "engine/IncludeEdits.h"

#include "support/TextUtil.h"
#include "support/tkUtils.h"

namespace vdx {

namespace {

bool StartsWith(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

// The key at the first position of the line, the line taken in capitals. The
// keys are ASCII, so folding ASCII letters is all the comparison needs.
bool StartsWithKey(std::string_view line, std::string_view key) {
    return line.size() >= key.size() && SameTextAscii(line.substr(0, key.size()), key);
}

bool EndsWith(std::string_view s, char c) {
    return !s.empty() && s.back() == c;
}

// The line's value for "INCLUDEPATH =" and "LIBPATH =": the paths follow an
// "=" or ";" directly and another value after a ";".
std::string AppendPaths(std::string_view line, std::string_view paths) {
    std::string s = Trim(line);
    if (!EndsWith(s, ';') && !EndsWith(s, '='))
        s += ';';
    s += paths;
    return s;
}

} // namespace

std::string DefineLine(std::string_view name) {
    return "{$DEFINE " + std::string(name) + "}";
}

void ApplyLattixDefine(Lines& lines) {
    const std::string define = DefineLine("LATTIX");
    if (!lines.empty() && StartsWith(lines[0], "{$"))
        lines[0] = define;
    else
        lines.insert(lines.begin(), define);
}

void ApplyTeeDefines(Lines& lines, std::string_view teeName, std::string_view teeVariant) {
    // A comment line in either place is never overwritten.
    auto put = [&lines](size_t index, std::string line) {
        if (index >= lines.size())
            lines.push_back(std::move(line));
        else if (StartsWith(lines[index], "//"))
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(index), std::move(line));
        else
            lines[index] = std::move(line);
    };
    put(0, DefineLine(teeName));
    if (!teeVariant.empty())
        put(1, DefineLine(teeVariant));
}

std::string MakeSearchPaths(std::string_view folders, std::string_view teePath,
                            std::string_view installDir) {
    std::vector<std::string> items;
    SplitText(folders, ';', items);
    std::string paths;
    for (const std::string& item : items) {
        paths += '"';
        paths += installDir;
        paths += item;
        paths += "\";";
    }
    if (!teePath.empty()) {
        paths += '"';
        paths += teePath;
        paths += '"';
    }
    return paths;
}

void ApplyMakeFileEdits(Lines& lines, std::string_view defines, std::string_view searchPaths) {
    const bool withDefines = !Trim(defines).empty();
    const bool withPaths = !Trim(searchPaths).empty();
    for (std::string& line : lines) {
        if (StartsWithKey(line, "PFLAGS =")) {
            // A line that continues on the next one keeps its final " \",
            // and the new switches go before it.
            std::string s = Trim(line);
            if (withPaths) {
                const bool continued = EndsWith(s, '\\');
                if (continued)
                    s.pop_back();
                s += " -U";
                s += searchPaths;
                s += " -I";
                s += searchPaths;
                if (continued)
                    s += " \\";
            }
            if (withDefines) {
                if (EndsWith(s, '\\')) {
                    s.pop_back();
                    s += "-D";
                    s += defines;
                    s += " \\";
                } else {
                    s += " -D";
                    s += defines;
                }
            }
            line = std::move(s);
        }
        if (withDefines && StartsWithKey(line, "USERDEFINES =")) {
            line += ToUpperAscii(Trim(line)) == "USERDEFINES =" ? " " : ";";
            line += defines;
        }
        if (withPaths && StartsWithKey(line, "INCLUDEPATH ="))
            line = AppendPaths(line, searchPaths);
        if (withPaths && StartsWithKey(line, "LIBPATH ="))
            line = AppendPaths(line, searchPaths);
    }
}

} // namespace vdx
