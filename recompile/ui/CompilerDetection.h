#pragma once
// Where the supported development environments and the machine folders are:
// read once while the main window is created. Keys are opened for reading
// only, in the 32-bit view of the registry, so that a user without
// administrator rights sees the environments too.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace vdx {

// Registry key of each row of the compiler list, below HKEY_LOCAL_MACHINE.
std::string_view CompilerRegistryKey(int row);

// Appends twenty entries "delphi<Ver>=<root folder>" in row order. The root
// folder is value "RootDir" of the row's key with one trailing "\" removed;
// empty when the key or value is missing, unreadable or not a string.
void ReadInstalledCompilers(std::vector<std::string>& installed, HKEY root = HKEY_LOCAL_MACHINE);

struct ShellFolders {
    std::string Personal;        // "Personal"
    std::string CommonDocuments; // "Common Documents"
};

// The machine-wide shell-folders values; empty texts when missing.
ShellFolders ReadShellFolders(HKEY root = HKEY_LOCAL_MACHINE);

} // namespace vdx
