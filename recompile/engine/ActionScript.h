#pragma once
// The build recipe the wizard carries: one XML text whose sections list the
// copy, delete and compile actions of each task, in paths relative to the
// installation folder and in terms of the script variables.
//
// The text has no line breaks: it is an indented document (declaration and
// root at column one, sections by two blanks, actions by four) with every line
// break written as one blank. The edition assembly inserts and removes whole
// "lines" of that form by text search.

#include <string>
#include <string_view>

namespace vdx {

// The complete script with the sections language, tee, ibx, fib and all.
const std::string& EmbeddedScript();

// The 14 copy and delete actions that put the sources into the library folder,
// inserted at the start of section all for the editions that ship the full
// sources. Each action is four blanks, the element and one blank.
const std::string& AllSourcesBlock();

// The script for a request of the given edition (compared exactly): "Silver"
// and "Gold" get the source block at the start of section all; every other
// edition loses the run-time package of the query builder there.
std::string AssembleScript(std::string_view edition);

} // namespace vdx
