#pragma once
// The converter's one line of output.

#include <string_view>

namespace vdx::rc {

// Writes line and CR LF to the standard output: as characters to a console,
// otherwise (a file or pipe, such as the wizard's log.txt) as bytes in the
// console's code page. Does nothing without a standard output.
void WriteLine(std::wstring_view line);

} // namespace vdx::rc
