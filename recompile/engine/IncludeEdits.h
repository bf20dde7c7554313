#pragma once
// Line edits of the library's include files ("vdx.inc", "tee.inc") and of the
// C++Builder make files. The files are lists of lines of single-byte text;
// these functions change the lists, the callers read and write the files.

#include <string>
#include <string_view>
#include <vector>

namespace vdx {

using Lines = std::vector<std::string>;

// "{$DEFINE " + name + "}"
std::string DefineLine(std::string_view name);

// "{$DEFINE LATTIX}" becomes the first line: it replaces a first line that
// begins with "{$" and is inserted before any other first line.
void ApplyLattixDefine(Lines& lines);

// The define of `teeName` takes the first line and, when `teeVariant` is not
// empty, the define of the variant the second one. A line there that begins
// with "//" is kept and moves down; any other line is replaced. Without a
// variant the second line is left as it is.
void ApplyTeeDefines(Lines& lines, std::string_view teeName, std::string_view teeVariant);

// The search folders of a make file: every item of the ";"-separated `folders`
// joined to `installDir`, in double quotes and followed by ";", then `teePath`
// in double quotes when it is not empty.
std::string MakeSearchPaths(std::string_view folders, std::string_view teePath,
                            std::string_view installDir);

// Adds `defines` and `searchPaths` to the "PFLAGS =", "USERDEFINES =",
// "INCLUDEPATH =" and "LIBPATH =" lines of a make file (keys compared in
// capitals, from the first column). Empty (blank) values add nothing.
void ApplyMakeFileEdits(Lines& lines, std::string_view defines, std::string_view searchPaths);

} // namespace vdx
