#pragma once
// The converter's command line, already split into arguments.

#include <span>
#include <string>

namespace vdx::rc {

struct Arguments {
    bool hasInput = false; // false: print "no input"
    std::u16string input;  // the input file path as given
    bool utf8 = false;     // "-j" or "/J": write UTF-8 with a byte-order mark
};

// A switch is an argument beginning with "-" or "/"; the input path is the
// first argument that is neither a switch nor empty (an empty argument, as
// written with a pair of quotes, names no file and is skipped). Switches may
// stand anywhere; unknown ones and later paths are ignored.
Arguments ParseArguments(std::span<const std::u16string> args);

} // namespace vdx::rc
