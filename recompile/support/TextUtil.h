#pragma once
// Small text helpers shared by the core: case folding, trimming and the
// line-list view of text files (read whole, split into lines, written back
// with CR LF after every line).

#include <string>
#include <string_view>
#include <vector>

namespace vdx {

std::string ToLowerAscii(std::string_view s);
std::string ToUpperAscii(std::string_view s);
bool SameTextAscii(std::string_view a, std::string_view b);

// Removes blanks and control characters (codes 0..32) from both ends.
std::string Trim(std::string_view s);

// Splits at CR LF, a lone CR or a lone LF. A line break at the very end adds
// no empty line; an empty text gives no lines.
std::vector<std::string> SplitLines(std::string_view text);

// Every line followed by CR LF, the last one included.
std::string JoinLines(const std::vector<std::string>& lines);

} // namespace vdx
