#pragma once
// File helpers of the sample builder: folders with their parents, whole-file
// writes that replace hidden or read-only files, and mask matching. Errors
// are std::runtime_error with the system's reason.

#include <string>
#include <string_view>

namespace vdx::sample {

// The path without trailing separators (a drive root keeps its own).
std::string WithoutSeparator(std::string path);

// Creates the folder and every missing parent.
void MakeFolders(const std::string& path);

// Writes the bytes as the whole file, replacing a hidden, system or read-only
// file, then gives the file `attributes` (0: plain).
void PutFile(const std::string& path, std::string_view bytes, unsigned long attributes = 0);

// Copies a file, replacing the target whatever its attributes.
void CopyFileReplacing(const std::string& from, const std::string& to);

// "*" and "?" wildcards, ASCII letters compared without regard to case.
bool WildMatch(std::string_view name, std::string_view mask);

} // namespace vdx::sample
