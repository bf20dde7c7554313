#pragma once
// Reading the input file and putting the unit in place.

#include <string>
#include <string_view>

namespace vdx::rc {

// The absolute form of path (relative to the current folder).
std::wstring FullPath(const std::wstring& path);

// The system's text for an error code, without the trailing period and line
// break (UTF-8).
std::string SysErrorMessage(unsigned long code);

// The whole file at fullPath. Throws Failure::CannotOpen.
std::string ReadWholeFile(const std::wstring& fullPath);

// Replaces (or creates) the file at fullPath with bytes: they go to a new
// file beside it first, which then takes its place in one step, so an error or
// a kill never leaves a part-written file and an existing file keeps its
// content on every error. A read-only file is refused, as Windows would refuse
// it. Throws Failure::CannotCreate.
void ReplaceFileAtomic(const std::wstring& fullPath, std::string_view bytes);

} // namespace vdx::rc
