#pragma once
// The include-file and make-file edits applied to the files themselves. Each
// file is read whole, edited as a list of lines and written back in one step
// (a temporary file beside it replaces it), so an error or a kill never leaves
// a half-written file. Lines end with CR LF afterwards; the bytes of the lines
// are kept as they were. Paths are UTF-8.

#include <string>
#include <string_view>

namespace vdx {

// Puts "{$DEFINE LATTIX}" on the first line of an include file. A missing file
// is passed over in silence; a file that cannot be read or replaced raises
// FileError.
void SetLattixDefine(const std::string& path);

// Writes the TeeChart defines into the first lines of an include file. A
// missing file is passed over in silence; a file that cannot be read or
// replaced raises FileError.
void SetTeeDefines(const std::string& path, std::string_view teeName, std::string_view teeVariant);

// Adds the defines (";"-separated) and the search paths (MakeSearchPaths) to a
// make file. A missing file raises FileError "Cannot open file", like one that
// cannot be read; one that cannot be replaced raises "Cannot create file".
void EditMakeFile(const std::string& path, std::string_view defines, std::string_view searchPaths);

} // namespace vdx
